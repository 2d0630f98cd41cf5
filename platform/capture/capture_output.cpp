#include "platform/capture/capture_output.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

namespace {

std::string FolderOf(const std::string& name) {
    const size_t slash = name.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : name.substr(0, slash);
}

std::string Join(const std::string& folder, const std::string& leaf) {
    return folder == "/" ? "/" + leaf : folder + "/" + leaf;
}

// The names in a folder but "." and ".."; false (errno set) when it cannot be read.
bool ListFolder(const std::string& folder, std::vector<std::string>* names) {
    DIR* listing = opendir(folder.c_str());
    if (listing == nullptr) {
        return false;
    }
    while (const dirent* entry = readdir(listing)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names->push_back(name);
        }
    }
    closedir(listing);
    return true;
}

// Nothing but what a folder capture writes: frame_NNNNNN.png and audio.wav.
bool HoldsOnlyACapture(const std::string& folder, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        struct stat status = {};
        const bool frame = name.size() == 16 && name.starts_with("frame_") && name.ends_with(".png") &&
                           name.find_first_not_of("0123456789", 6) == 12;
        if ((!frame && name != "audio.wav") || lstat(Join(folder, name).c_str(), &status) != 0 ||
            !S_ISREG(status.st_mode)) {
            return false;
        }
    }
    return true;
}

mode_t CreationMask() {
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

}  // namespace

void CaptureConsole::Write(const std::string& text) {
    // Unbuffered; a failed write (EPIPE with SIGPIPE ignored, EIO) is dropped.
    if (std::fwrite(text.data(), 1, text.size(), stderr) != text.size()) {
        std::clearerr(stderr);
    }
}

void CaptureConsole::Progress(const std::string& text) {
    std::lock_guard lock(mutex_);
    Write("\r" + text);
    progressOpen_.store(true);
}

void CaptureConsole::Done(const std::string& text) {
    std::lock_guard lock(mutex_);
    Write("\r" + text + "\n");
    progressOpen_.store(false);
}

void CaptureConsole::Line(const std::string& text) {
    std::lock_guard lock(mutex_);
    Write((progressOpen_.exchange(false) ? "\ntrelk: " : "trelk: ") + text + "\n");
}

void CaptureConsole::CannotWrite(const std::string& why) {
    {
        std::lock_guard lock(mutex_);
        if (std::exchange(saidCannotWrite_, true)) {
            return;
        }
    }
    Line("cannot write the capture '" + givenName_ + "': " + why);
}

bool CaptureConsole::SaidCannotWrite() {
    std::lock_guard lock(mutex_);
    return saidCannotWrite_;
}

CaptureOutput::CaptureOutput(const std::string& given, bool folder, bool overwrite, CaptureConsole& console)
    : name_(given), folder_(folder), overwrite_(overwrite), console_(console) {
    while (name_.size() > 1 && name_.back() == '/') {
        name_.pop_back();
    }
}

CaptureOutput::~CaptureOutput() {
    if (!placed_ && !temporary_.empty()) {
        if (folder_) {
            std::error_code ignored;
            std::filesystem::remove_all(temporary_, ignored);
        } else {
            unlink(temporary_.c_str());
        }
    }
    if (lock_ >= 0) {
        close(lock_);
    }
}

bool CaptureOutput::Fail(const std::string& why) {
    console_.CannotWrite(why);
    return false;
}

bool CaptureOutput::Prepare(const std::string& extension) {
    struct stat status = {};
    if (lstat(name_.c_str(), &status) == 0) {
        const bool isFolder = S_ISDIR(status.st_mode);
        std::vector<std::string> names;
        if (isFolder && !ListFolder(name_, &names)) {
            return Fail(std::strerror(errno));
        }
        if (folder_ && isFolder && names.empty()) {
            // An empty folder gives way without being asked.
        } else if (!overwrite_) {
            return Fail(isFolder
                            ? "it is a folder that is not empty (--overwrite replaces an earlier capture)"
                            : "it exists (--overwrite replaces it)");
        } else if (isFolder && !folder_) {
            return Fail("it is a folder");
        } else if (isFolder && !HoldsOnlyACapture(name_, names)) {
            return Fail(
                "the folder holds more than a capture's frames and audio.wav, which --overwrite "
                "would replace");
        } else {
            replace_ = true;
        }
    } else if (errno != ENOENT) {
        return Fail(std::strerror(errno));
    }

    // A short name of its own, so that a name as long as the file system
    // allows leaves room for it; made exclusively.
    const std::string folder = FolderOf(name_);
    std::string pattern = Join(folder, std::string(CAPTURE_TEMPORARY_PREFIX) + "XXXXXX" + extension);
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const mode_t mask = CreationMask();
    if (folder_) {
        if (mkdtemp(buffer.data()) == nullptr) {
            return Fail(std::strerror(errno));
        }
        temporary_ = buffer.data();
        lock_ = open(temporary_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        chmod(temporary_.c_str(), 0777 & ~mask);  // as a folder made the usual way
    } else {
        lock_ = mkostemps(buffer.data(), static_cast<int>(extension.size()), O_CLOEXEC);
        if (lock_ < 0) {
            return Fail(std::strerror(errno));
        }
        temporary_ = buffer.data();
        fchmod(lock_, 0666 & ~mask);
    }
    // Held until the end: a capture killed on the way leaves an unlocked one.
    if (lock_ < 0 || flock(lock_, LOCK_EX) != 0) {
        return Fail(std::strerror(errno));
    }
    NoteLeftovers(folder);
    return true;
}

void CaptureOutput::NoteLeftovers(const std::string& folder) {
    std::vector<std::string> names;
    if (!ListFolder(folder, &names)) {
        return;
    }
    const std::string ours = temporary_.substr(temporary_.find_last_of('/') + 1);
    int leftovers = 0;
    for (const std::string& name : names) {
        if (!name.starts_with(CAPTURE_TEMPORARY_PREFIX) || name == ours) {
            continue;
        }
        // Another capture running now holds its lock.
        const int file = open(Join(folder, name).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (file >= 0) {
            leftovers += flock(file, LOCK_SH | LOCK_NB) == 0 ? 1 : 0;
            close(file);
        }
    }
    if (leftovers > 0) {
        console_.Line("'" + folder + "' holds " + std::to_string(leftovers) +
                      (leftovers == 1 ? " unfinished capture" : " unfinished captures") +
                      " of earlier runs that were stopped (" + CAPTURE_TEMPORARY_PREFIX +
                      "*), left as they are");
    }
}

bool CaptureOutput::Place() {
    const char* from = temporary_.c_str();
    const char* to = name_.c_str();
    if (replace_) {
        // rename() replaces a file or a link itself, never a link's target; a
        // folder (or what stands where the folder goes) steps aside first.
        if (!folder_) {
            if (rename(from, to) != 0) {
                return Fail(std::strerror(errno));
            }
        } else {
            const std::string aside = temporary_ + ".old";
            if (rename(to, aside.c_str()) != 0) {
                return Fail(std::strerror(errno));
            }
            if (rename(from, to) != 0) {
                const int error = errno;
                rename(aside.c_str(), to);
                return Fail(std::strerror(error));
            }
            std::error_code ignored;
            std::filesystem::remove_all(aside, ignored);
        }
    } else if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) != 0) {
        // An empty folder under the name gives way to a plain rename, which
        // never replaces a folder that holds anything; on a file system
        // without the flag a file is linked, which never replaces anything.
        bool placed = false;
        if (folder_ && (errno == EEXIST || errno == EINVAL)) {
            placed = rename(from, to) == 0;
        } else if (!folder_ && errno == EINVAL) {
            placed = link(from, to) == 0 && unlink(from) == 0;
        }
        if (!placed) {
            return Fail(errno == EEXIST ? "it exists now (--overwrite replaces it)" : std::strerror(errno));
        }
    }
    placed_ = true;
    return true;
}
