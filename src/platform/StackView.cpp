#include "platform/StackView.h"

#include <QBoxLayout>
#include <cmath>

#include "platform/ViewWidget.h"

namespace corkwallery::platform {

namespace {

int rounded(double points) {
    return static_cast<int>(std::lround(points));
}

QBoxLayout& boxOf(const View& view) {
    return *static_cast<QBoxLayout*>(view.widget()->layout());
}

}  // namespace

StackView::StackView(std::vector<std::unique_ptr<View>> views) : View(Rect(0, 0, 0, 0)) {
    auto* box = new QBoxLayout(QBoxLayout::LeftToRight, widget());
    // The stack is sized by its owner; the layout only places the arranged views.
    box->setSizeConstraint(QLayout::SetNoConstraint);
    for (auto& view : views) {
        View& added = addSubview(std::move(view));
        added.widget()->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        box->addWidget(added.widget());
        arranged_.push_back(&added);
    }
    setSpacing(spacing_);
    setEdgeInsets(insets_);
    applyAlignment();
}

std::unique_ptr<StackView> StackView::withViews(std::vector<std::unique_ptr<View>> views) {
    return std::make_unique<StackView>(std::move(views));
}

void StackView::setOrientation(StackOrientation orientation) {
    orientation_ = orientation;
    boxOf(*this).setDirection(orientation == StackOrientation::Vertical ? QBoxLayout::TopToBottom
                                                                        : QBoxLayout::LeftToRight);
    applyAlignment();
}

void StackView::setAlignment(StackAlignment alignment) {
    alignment_ = alignment;
    applyAlignment();
}

void StackView::setSpacing(double spacing) {
    spacing_ = spacing;
    boxOf(*this).setSpacing(rounded(spacing));
    layout();
}

void StackView::setEdgeInsets(EdgeInsets insets) {
    insets_ = insets;
    boxOf(*this).setContentsMargins(rounded(insets.left), rounded(insets.top),
                                    rounded(insets.right), rounded(insets.bottom));
    layout();
}

Size StackView::fittingSize() const {
    const QSize hint = boxOf(*this).sizeHint();
    return {static_cast<double>(hint.width()), static_cast<double>(hint.height())};
}

void StackView::layout() {
    if (frame().width() <= 0 || frame().height() <= 0)
        return;
    QBoxLayout& box = boxOf(*this);
    box.setGeometry(widget()->rect());
    // Keep each arranged view's frame (y up) in step with where the layout put its widget.
    const double height = frame().height();
    for (View* view : arranged_) {
        const QRect g = view->widget()->geometry();
        view->setFrame(Rect(g.x(), height - (g.y() + g.height()), g.width(), g.height()));
    }
}

void StackView::applyAlignment() {
    const bool vertical = orientation_ == StackOrientation::Vertical;
    Qt::Alignment across = vertical ? Qt::AlignHCenter : Qt::AlignVCenter;
    if (alignment_ == StackAlignment::Leading)
        across = vertical ? Qt::AlignLeft : Qt::AlignTop;
    else if (alignment_ == StackAlignment::Trailing)
        across = vertical ? Qt::AlignRight : Qt::AlignBottom;
    QBoxLayout& box = boxOf(*this);
    for (View* view : arranged_)
        box.setAlignment(view->widget(), across);
    layout();
}

}  // namespace corkwallery::platform
