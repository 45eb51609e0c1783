#pragma once

#include <functional>
#include <optional>
#include <string>

class QFileDialog;

namespace corkwallery::platform {

// A modal chooser for one existing image file: only files of the image types the application can
// decode are listed, directories cannot be chosen. Made anew for every use.
class OpenPanel {
public:
    OpenPanel();
    ~OpenPanel();
    OpenPanel(const OpenPanel&) = delete;
    OpenPanel& operator=(const OpenPanel&) = delete;

    // Shown as the chooser's window title.
    void setMessage(std::string message);
    const std::string& message() const { return message_; }
    // The title of the button that confirms the choice.
    void setPrompt(std::string prompt);
    const std::string& prompt() const { return prompt_; }

    // Blocks until the user confirms or cancels; the chosen file's path (UTF-8), or nothing when
    // cancelled.
    std::optional<std::string> runModal();

    // While set, runModal hands its dialog, already running modally, to `driver`, which picks a
    // file and accepts or rejects it; a dialog still open afterwards counts as cancelled. Tests
    // drive the chooser with it.
    static void setModalDriver(std::function<void(QFileDialog&)> driver);

private:
    std::string message_;
    std::string prompt_;
};

}  // namespace corkwallery::platform
