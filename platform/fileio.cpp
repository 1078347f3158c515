#include "platform/fileio.h"

#include <QFile>

#include "platform/dialogs.h"
#include "platform/filewrite.h"

std::string PathFromDialogName(const QString& fileName) {
    return QFile::encodeName(fileName).toStdString();
}

QString FileFailureMessage(FileFailure failure, const QString& fileName, const QString& reason) {
    QString text;
    switch (failure) {
        case FileFailure::CannotOpen:
            text = "Impossibile aprire il file %1";
            break;
        case FileFailure::ReadError:
            text = "Errore di lettura nel file %1";
            break;
        case FileFailure::CannotCreate:
            text = "Impossibile creare il file %1";
            break;
        case FileFailure::WriteError:
            text = "Errore di scrittura nel file %1";
            break;
        case FileFailure::CloseError:
            text = "Errore di chiusura del file %1";
            break;
        case FileFailure::ReplaceError:
            text = "Impossibile sostituire il file %1";
            break;
    }
    text = text.arg(fileName);
    if (!reason.isEmpty()) text += ":\n" + reason;
    return text;
}

namespace {
FileFailure FailureOf(FileWriteStatus status) {
    switch (status) {
        case FileWriteStatus::CannotCreate:
            return FileFailure::CannotCreate;
        case FileWriteStatus::CloseError:
            return FileFailure::CloseError;
        case FileWriteStatus::RenameError:
            return FileFailure::ReplaceError;
        default:
            return FileFailure::WriteError;
    }
}
}  // namespace

bool SaveFileBytes(QWidget* parent, const QString& fileName, std::string_view bytes) {
    const FileWriteResult result = WriteFileAtomic(PathFromDialogName(fileName), bytes);
    if (result.Ok()) return true;
    ShowErrorBox(parent, FileFailureMessage(FailureOf(result.status), fileName,
                                            QString::fromLocal8Bit(result.reason.c_str())));
    return false;
}
