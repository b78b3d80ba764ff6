#include "platform/host/not_emulated.h"
#include "platform/win32/user.h"


#include "platform/host/cp932.h"
#include "platform/host/host.h"

namespace {

constexpr UINT kButtonMask = 0x0000000F;
constexpr UINT kIconMask = 0x000000F0;
// The icons a box may carry: none, stop, question, exclamation, information.
bool KnownIcon(UINT icon) { return icon == 0 || icon == 0x10 || icon == 0x20 || icon == 0x30 || icon == 0x40; }

}  // namespace

int MessageBoxA(HWND parent, LPCSTR text, LPCSTR caption, UINT type) {
  (void)parent;  // the host shows its boxes over its own window
  const UINT buttons = type & kButtonMask;
  const bool emulated = (buttons == MB_OK || buttons == MB_YESNO) && KnownIcon(type & kIconMask) &&
                        (type & ~(kButtonMask | kIconMask)) == 0;
  RequireEmulated(emulated, "MessageBoxA", "only MB_OK and MB_YESNO boxes with an icon are emulated",
                  type);

  const std::string utf8_text = Cp932ToUtf8(text != nullptr ? text : "");
  // A missing caption reads "Error", as the system's boxes do.
  const std::string utf8_caption = caption != nullptr ? Cp932ToUtf8(caption) : "Error";
  VideoHost& video = CurrentHost().Video();
  if (buttons == MB_YESNO) return video.AskYesNo(utf8_caption, utf8_text) ? IDYES : IDNO;
  video.ShowMessage(utf8_caption, utf8_text);
  return IDOK;
}
