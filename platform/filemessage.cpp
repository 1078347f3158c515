#include "platform/filemessage.h"

#include "platform/dialogs.h"

QString FileWriteMessage(const FileWriteResult& result, const std::string& path) {
    const QString file = QString::fromStdString(path);
    QString text;
    switch (result.status) {
        case FileWriteStatus::Ok:
            return {};
        case FileWriteStatus::CannotCreate:
            text = "Impossibile creare il file " + file;
            break;
        case FileWriteStatus::WriteError:
            text = "Errore di scrittura nel file " + file;
            break;
        case FileWriteStatus::CloseError:
            text = "Errore di chiusura del file " + file;
            break;
        case FileWriteStatus::RenameError:
            text = "Impossibile sostituire il file " + file;
            break;
    }
    if (!result.reason.empty()) text += " (" + QString::fromStdString(result.reason) + ")";
    return text;
}

void ShowFileWriteError(QWidget* parent, const FileWriteResult& result, const std::string& path) {
    ShowErrorBox(parent, FileWriteMessage(result, path));
}
