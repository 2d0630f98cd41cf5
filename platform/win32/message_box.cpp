// Message boxes on the screen (win32/screen.h); without one the text goes to
// standard error so that nothing blocks and nothing is lost.
#include <atomic>
#include <cstdio>

#include "platform/core/unsupported.h"
#include "platform/win32/screen.h"
#include "platform/win32/testing.h"
#include "platform/win32/windows.h"

namespace {

std::atomic<MessageBoxHook> messageBoxHook{nullptr};
std::atomic<MessageBeepHook> messageBeepHook{nullptr};

// One OK button and the error, warning or information icon is all a box shows.
void ReportBoxExtras(UINT type) {
    if ((type & 0x0F) != MB_OK) {
        ReportUnsupported("MessageBoxA buttons other than MB_OK (it answers IDOK)");
    }
    if ((type & 0xF0) == 0x20) {
        ReportUnsupported("MessageBoxA question icon (an information icon is shown)");
    }
    if ((type & ~0xFFu) != 0) {
        ReportUnsupported("MessageBoxA default button, modality and other flags");
    }
}

}  // namespace

void SetMessageBoxHookForTesting(MessageBoxHook hook) { messageBoxHook.store(hook); }
void SetMessageBeepHookForTesting(MessageBeepHook hook) { messageBeepHook.store(hook); }

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    if (MessageBoxHook hook = messageBoxHook.load()) {
        return hook(owner, text, caption, type);
    }
    ReportBoxExtras(type);
    // A null caption shows the system's default caption.
    const char* title = caption != nullptr ? caption : "Error";
    const char* body = text != nullptr ? text : "";
    if (ShowScreenMessageBox(type, title, body, owner)) {
        return IDOK;
    }
    std::fprintf(stderr, "%s: %s\n", title, body);
    return IDOK;
}

BOOL MessageBeep(UINT type) {
    if (MessageBeepHook hook = messageBeepHook.load()) {
        hook(type);
        return TRUE;
    }
    // There are no system sounds to play here.
    return ReportUnsupported("MessageBeep (no sound is made)", TRUE);
}
