// File names from dialogs and the Italian messages for failed file reads
// and writes, in one place for every window; and the save every window uses.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "platform/filewrite.h"

class QWidget;

// How a read or write of a file failed.
enum class FileFailure {
    CannotOpen,
    ReadError,
    CannotCreate,
    WriteError,
    CloseError,
    ReplaceError
};

// A file name as a dialog gives it, as the native path the core opens.
std::string PathFromDialogName(const QString& fileName);

// The message box text for a failure on `fileName`; `reason`, the system's
// words, follows on a line of its own when given.
QString FileFailureMessage(FileFailure failure, const QString& fileName,
                           const QString& reason = {});

// The error box of a failed WriteFileAtomic on the native `path`.
// Why a write failed, in Italian for the common causes (disk full, file too
// large, permission, read-only disk, missing folder, a folder in the way);
// the system's own words for any other.
QString WriteFailureReason(const FileWriteResult& result);
void ShowFileWriteError(QWidget* parent, const FileWriteResult& result, const std::string& path);

// Writes `bytes` to `fileName` with WriteFileAtomic; a failure shows its
// message box over `parent` and leaves the old file as it was. True when
// the file was written.
bool SaveFileBytes(QWidget* parent, const QString& fileName, std::string_view bytes);
