#include "platform/Label.h"

#include <QApplication>
#include <QFont>
#include <QPalette>
#include <cmath>

#include "platform/LabelWidget.h"
#include "platform/QtGraphicsContext.h"
#include "platform/ViewWidget.h"

namespace corkwallery::platform {

namespace {

QFont::Weight toQtWeight(FontWeight weight) {
    switch (weight) {
        case FontWeight::Regular:
            return QFont::Normal;
        case FontWeight::Medium:
            return QFont::Medium;
        case FontWeight::Semibold:
            return QFont::DemiBold;
        case FontWeight::Bold:
            return QFont::Bold;
    }
    return QFont::Normal;
}

Qt::Alignment toQtAlignment(TextAlignment alignment) {
    switch (alignment) {
        case TextAlignment::Natural:
        case TextAlignment::Left:
            return Qt::AlignLeft | Qt::AlignVCenter;
        case TextAlignment::Center:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        case TextAlignment::Right:
            return Qt::AlignRight | Qt::AlignVCenter;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

Label::Label(std::string text)
    : View(Rect(0, 0, 0, 0)), text_(std::move(text)), label_(new LabelWidget(widget())) {
    label_->setTextFormat(Qt::PlainText);
    label_->setWordWrap(false);
    label_->setFocusPolicy(Qt::NoFocus);
    setFont(font_);
    setTextColor(textColor_);
    setAlignment(alignment_);
    textChanged();
    setFrame(Rect({0, 0}, fittingSize()));
}

std::unique_ptr<Label> Label::withString(std::string text) {
    return std::make_unique<Label>(std::move(text));
}

void Label::setStringValue(std::string text) {
    text_ = std::move(text);
    textChanged();
}

void Label::setFont(Font font) {
    font_ = font;
    // One point is one device-independent pixel.
    QFont qfont = QApplication::font();
    qfont.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pointSize))));
    qfont.setWeight(toQtWeight(font.weight));
    label_->setFont(qfont);
    widget()->updateGeometry();
}

void Label::setTextColor(Color color) {
    textColor_ = color;
    QPalette palette = label_->palette();
    palette.setColor(QPalette::WindowText, toQColor(color));
    label_->setPalette(palette);
}

void Label::setMaximumNumberOfLines(int lines) {
    maximumNumberOfLines_ = std::max(0, lines);
    textChanged();
}

void Label::setAlignment(TextAlignment alignment) {
    alignment_ = alignment;
    label_->setAlignment(toQtAlignment(alignment));
}

std::string Label::displayedText() const {
    if (maximumNumberOfLines_ == 0)
        return text_;
    std::size_t end = 0;
    for (int line = 0; line < maximumNumberOfLines_; ++line) {
        end = text_.find('\n', end);
        if (end == std::string::npos)
            return text_;
        if (line + 1 < maximumNumberOfLines_)
            ++end;
    }
    return text_.substr(0, end);
}

Size Label::fittingSize() const {
    const QSize hint = label_->sizeHint();
    return {static_cast<double>(hint.width()), static_cast<double>(hint.height())};
}

void Label::layout() {
    label_->setGeometry(widget()->rect());
}

void Label::textChanged() {
    label_->setText(QString::fromStdString(displayedText()));
    widget()->updateGeometry();
}

}  // namespace corkwallery::platform
