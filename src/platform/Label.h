#pragma once

#include <memory>
#include <string>

#include "platform/Font.h"
#include "platform/View.h"

namespace corkwallery::platform {

class LabelWidget;

enum class TextAlignment { Natural, Left, Center, Right };

// A piece of read-only text that does not wrap: line breaks in the text start new lines. The
// label is created at its fitting size.
class Label final : public View {
public:
    explicit Label(std::string text);
    static std::unique_ptr<Label> withString(std::string text);

    const std::string& stringValue() const { return text_; }
    void setStringValue(std::string text);
    const Font& font() const { return font_; }
    void setFont(Font font);
    Color textColor() const { return textColor_; }
    void setTextColor(Color color);
    // Lines past the limit are not shown; 0 shows every line.
    int maximumNumberOfLines() const { return maximumNumberOfLines_; }
    void setMaximumNumberOfLines(int lines);
    TextAlignment alignment() const { return alignment_; }
    void setAlignment(TextAlignment alignment);

    // The text as shown: at most maximumNumberOfLines lines of it.
    std::string displayedText() const;

    Size fittingSize() const override;
    void layout() override;

private:
    void textChanged();

    std::string text_;
    Font font_;
    Color textColor_ = Color::black();
    int maximumNumberOfLines_ = 0;
    TextAlignment alignment_ = TextAlignment::Natural;
    LabelWidget* label_;  // owned by the view's widget
};

}  // namespace corkwallery::platform
