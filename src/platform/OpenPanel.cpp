#include "platform/OpenPanel.h"

#include <QDir>
#include <QFileDialog>
#include <QImageReader>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QTimer>

namespace corkwallery::platform {

namespace {

std::function<void(QFileDialog&)>& modalDriver() {
    static std::function<void(QFileDialog&)> instance;
    return instance;
}

// One filter that lists every image type the image reader can decode, by file name pattern. SVG
// is left out: the decoder refuses it.
QString imageNameFilter() {
    const QMimeDatabase database;
    QStringList patterns;
    for (const QByteArray& name : QImageReader::supportedMimeTypes()) {
        if (name.startsWith("image/svg"))
            continue;
        const QMimeType type = database.mimeTypeForName(QString::fromLatin1(name));
        for (const QString& pattern : type.globPatterns()) {
            if (!patterns.contains(pattern))
                patterns.append(pattern);
        }
    }
    patterns.sort();
    return QStringLiteral("Images (%1)").arg(patterns.join(QLatin1Char(' ')));
}

}  // namespace

OpenPanel::OpenPanel() = default;
OpenPanel::~OpenPanel() = default;

void OpenPanel::setMessage(std::string message) {
    message_ = std::move(message);
}

void OpenPanel::setPrompt(std::string prompt) {
    prompt_ = std::move(prompt);
}

void OpenPanel::setModalDriver(std::function<void(QFileDialog&)> driver) {
    modalDriver() = std::move(driver);
}

std::optional<std::string> OpenPanel::runModal() {
    QFileDialog dialog;
    dialog.setWindowTitle(QString::fromStdString(message_));
    dialog.setLabelText(QFileDialog::Accept, QString::fromStdString(prompt_));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly);
    dialog.setNameFilter(imageNameFilter());
    dialog.setWindowModality(Qt::ApplicationModal);
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QDir(pictures).exists())
        dialog.setDirectory(pictures);

    QTimer::singleShot(0, &dialog, [&dialog] {
        if (const auto& driver = modalDriver()) {
            driver(dialog);
            if (dialog.isVisible())
                dialog.reject();
            return;
        }
        // The application is never active; bring the chooser to the user.
        dialog.raise();
        dialog.activateWindow();
    });
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return std::nullopt;
    return files.first().toStdString();
}

}  // namespace corkwallery::platform
