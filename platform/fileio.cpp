#include "platform/fileio.h"

#include <QFile>
#include <cerrno>

#include "platform/dialogs.h"

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

QString WriteFailureReason(const FileWriteResult& result) {
    switch (result.error) {
        case ENOSPC:
        case EDQUOT:
            return "il disco è pieno";
        case EFBIG:
            return "il file è troppo grande per il disco";
        case EACCES:
        case EPERM:
            return "permesso negato";
        case EROFS:
            return "il disco è di sola lettura";
        case ENOENT:
        case ENOTDIR:
            return "la cartella non esiste";
        case EISDIR:
            return "al suo posto c'è una cartella";
        default:
            return QString::fromLocal8Bit(result.reason.c_str());
    }
}

void ShowFileWriteError(QWidget* parent, const FileWriteResult& result, const std::string& path) {
    ShowErrorBox(parent, FileFailureMessage(FailureOf(result.status),
                                            QFile::decodeName(QByteArray::fromStdString(path)),
                                            WriteFailureReason(result)));
}

bool SaveFileBytes(QWidget* parent, const QString& fileName, std::string_view bytes) {
    const std::string path = PathFromDialogName(fileName);
    const FileWriteResult result = WriteFileAtomic(path, bytes);
    if (!result.Ok()) ShowFileWriteError(parent, result, path);
    return result.Ok();
}
