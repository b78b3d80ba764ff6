// The small doubly linked list of the sound and network layers.
#include "runtime/core/linked_list.h"

void InitLinkedList(ListNode* end, ListNode* start) {
  start->value = -1;
  start->data = nullptr;
  start->previous = nullptr;
  start->next = end;
  end->value = -1;
  end->data = nullptr;
  end->next = nullptr;
  end->previous = start;
}

void AppendListNode(ListNode* end, ListNode* node, int32_t value, void* data) {
  node->value = value;
  node->data = data;
  node->next = end;
  node->previous = end->previous;
  end->previous->next = node;
  end->previous = node;
}

void InsertListNodeAfterStart(ListNode* start, ListNode* node, int32_t value, void* data) {
  node->value = value;
  node->data = data;
  node->previous = start;
  node->next = start->next;
  start->next->previous = node;
  start->next = node;
}

void UnlinkListNode(ListNode* node) {
  if (node->previous != nullptr) node->previous->next = node->next;
  if (node->next != nullptr) node->next->previous = node->previous;
  node->next = nullptr;
  node->previous = nullptr;
}
