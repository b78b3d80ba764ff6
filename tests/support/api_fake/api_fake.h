// A recording fake of the API layer (and MessageBoxA) for game tests.
//
// Every entry records its call with the frame it was made in (the number of
// ApiFlipScreen calls before it) and answers from the script: pad bits, key
// states, random numbers, the start-up question, message processing, and
// small in-memory files. Loads and creations hand out fresh handles.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

struct ApiCall {
  std::string name;
  std::vector<int64_t> args;       // integer arguments in order
  std::vector<std::string> texts;  // string arguments in order (formatted text
                                   // for the formatting entries; "" for null)
  int frame = 0;
};

class ApiFake {
 public:
  // ---- Script (defaults: every call succeeds, nothing is pressed) ----
  int message_box_answer = 7;  // IDNO
  int32_t init_library_result = 0;
  // Result of ApiProcessMessage in a frame (0 = go on); default 0.
  std::function<int32_t(int frame)> process_message;
  // Result of ApiIsKeyDown; default 0.
  std::function<int32_t(int32_t key, int frame)> key_down;
  // Result of ApiGetPadInput; default 0.
  std::function<int32_t(int32_t input_set, int frame)> pad_input;
  // ApiGetRandom takes from the front; 0 when empty.
  std::deque<int32_t> random_values;
  // Result of ApiIsSoundPlaying; default 0.
  std::function<int32_t(int32_t sound)> sound_playing;
  // Files served by ApiOpenFileForRead and ApiReadFileLine, by path.
  std::map<std::string, std::string> files;
  // Called with the path at each ApiOpenFileForRead, before the file opens.
  std::function<void(const std::string& path)> on_open_file;
  // Paths whose graphic or sound loads fail with -1.
  std::set<std::string> failing_paths;

  // ---- Record ----
  std::vector<ApiCall> calls;
  int frame = 0;  // ApiFlipScreen calls so far

  std::vector<ApiCall> Calls(const std::string& name) const;
  std::vector<ApiCall> CallsInFrame(int frame_number) const;
  int Count(const std::string& name) const;
  // Names of all calls, in order.
  std::vector<std::string> Names() const;

  // Forgets the script, the record, the handles and the open files.
  void Reset();

  // Used by the entries.
  int32_t Record(const char* name, std::vector<int64_t> args, std::vector<std::string> texts = {});
  int32_t NewHandle() { return next_handle_++; }
  intptr_t OpenFile(const std::string& path);
  bool CloseFile(intptr_t file);
  int32_t ReadLine(char* buffer, int32_t size, intptr_t file);

 private:
  struct OpenFileState {
    std::string data;
    size_t position = 0;
    bool open = false;
  };
  int32_t next_handle_ = 100;
  std::vector<OpenFileState> open_files_;
};

// The one fake behind every entry.
ApiFake& api_fake();
