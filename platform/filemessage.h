// The message box of a file that could not be written: the one place that
// turns a failed write into Italian words. The text names the file and adds
// the system's reason.
#pragma once

#include <QString>
#include <string>

#include "platform/filewrite.h"

class QWidget;

QString FileWriteMessage(const FileWriteResult& result, const std::string& path);
// An error box with FileWriteMessage (recorded by the dialog seam).
void ShowFileWriteError(QWidget* parent, const FileWriteResult& result, const std::string& path);
