// The one way Vek puts a file on disk: the bytes go to a temporary file in
// the same folder, are flushed, and the temporary is renamed over the target.
// A reader therefore sees the old file or the whole new one, never a part.
#pragma once

#include <string>
#include <string_view>

enum class FileWriteStatus { Ok, CannotCreate, WriteError, CloseError, RenameError };

struct FileWriteResult {
    FileWriteStatus status = FileWriteStatus::Ok;
    std::string reason;  // the system's words (strerror) when status != Ok
    int error = 0;       // the system's code (errno) when status != Ok
    bool Ok() const { return status == FileWriteStatus::Ok; }
};

// path is a native (UTF-8 on Linux) file name. On failure the target is left
// as it was and no temporary file remains.
FileWriteResult WriteFileAtomic(const std::string& path, std::string_view bytes);
