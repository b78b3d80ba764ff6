// The small doubly linked list of the sound and network layers: nodes between
// a start and an end sentinel.
#pragma once

#include <cstdint>

struct ListNode {
  int32_t value;
  void* data;
  ListNode* next;
  ListNode* previous;
};

// Links the two sentinels to each other (values -1, no data, outer links null).
void InitLinkedList(ListNode* end, ListNode* start);
// Inserts `node` just before the end sentinel.
void AppendListNode(ListNode* end, ListNode* node, int32_t value, void* data);
// Inserts `node` just after the start sentinel.
void InsertListNodeAfterStart(ListNode* start, ListNode* node, int32_t value, void* data);
// Takes `node` out, joining its two neighbours.
void UnlinkListNode(ListNode* node);
