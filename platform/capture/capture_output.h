// Where a capture is written until it is complete, and how it then takes the
// name the user gave: standard error during a capture, and the temporary file
// or folder beside the output. Platform-internal.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

// Standard error while a capture runs: the progress line that rewrites
// itself, and whole lines. What cannot be written (a closed pipe, a terminal
// gone) is dropped. Any thread.
class CaptureConsole {
  public:
    explicit CaptureConsole(std::string givenName) : givenName_(std::move(givenName)) {}
    CaptureConsole(const CaptureConsole&) = delete;
    CaptureConsole& operator=(const CaptureConsole&) = delete;

    const std::string& GivenName() const { return givenName_; }
    // "\r" and the text, no end of line: the next progress replaces it.
    void Progress(const std::string& text);
    // The last progress: "\r", the text and the end of the line.
    void Done(const std::string& text);
    // "trelk: " and the text on a line of its own.
    void Line(const std::string& text);
    // One line: the capture cannot be written, and why. Only the first of a
    // capture is said: whatever fails after it follows from it.
    void CannotWrite(const std::string& why);
    bool SaidCannotWrite();
    // For a signal handler about to write a line of its own: whether it must
    // begin a new line first (a progress line is open), which it then does.
    bool TakeProgressOpen() { return progressOpen_.exchange(false); }

  private:
    void Write(const std::string& text);

    std::string givenName_;
    std::mutex mutex_;
    std::atomic<bool> progressOpen_{false};
    bool saidCannotWrite_ = false;
};

// The temporary file or folder a capture is written into, beside the output,
// and its renaming to the given name at the end. Nothing is ever replaced
// unless `overwrite`, and then a symbolic link itself rather than its
// target; a folder only when it holds nothing but a capture. The temporary is
// made exclusively and, unless placed, removed with this object.
class CaptureOutput {
  public:
    CaptureOutput(const std::string& given, bool folder, bool overwrite, CaptureConsole& console);
    ~CaptureOutput();
    CaptureOutput(const CaptureOutput&) = delete;
    CaptureOutput& operator=(const CaptureOutput&) = delete;

    // Checks the given name and makes the temporary (`extension` appended);
    // false after saying why. Notes unfinished captures of earlier runs in the
    // same folder (not this run's: left alone).
    bool Prepare(const std::string& extension);
    const std::string& Temporary() const { return temporary_; }
    // The temporary under the given name; false after saying why.
    bool Place();

  private:
    bool Fail(const std::string& why);
    void NoteLeftovers(const std::string& folder);

    std::string name_;  // the given name without a folder's trailing '/'
    bool folder_;
    bool overwrite_;
    CaptureConsole& console_;
    std::string temporary_;
    int lock_ = -1;         // held while the temporary is this run's
    bool replace_ = false;  // something is under the name and may go
    bool placed_ = false;
};

// The prefix of every temporary name.
inline constexpr const char* CAPTURE_TEMPORARY_PREFIX = ".trelk-capture-";
