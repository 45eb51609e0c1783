#pragma once

#include <memory>
#include <vector>

#include "platform/View.h"

namespace corkwallery::platform {

struct EdgeInsets {
    double top = 0;
    double left = 0;
    double bottom = 0;
    double right = 0;
    friend bool operator==(const EdgeInsets&, const EdgeInsets&) = default;
};

enum class StackOrientation { Horizontal, Vertical };
// Where the arranged views sit across the stack: for a vertical stack left, centre or right; for
// a horizontal one top, centre or bottom.
enum class StackAlignment { Leading, Center, Trailing };

// Lays its arranged views out in a row or a column, each at its fitting size, with a fixed spacing
// between them and insets around them. The first arranged view is at the top (or the left).
class StackView final : public View {
public:
    explicit StackView(std::vector<std::unique_ptr<View>> views);
    static std::unique_ptr<StackView> withViews(std::vector<std::unique_ptr<View>> views);

    std::vector<View*> arrangedSubviews() const { return arranged_; }

    StackOrientation orientation() const { return orientation_; }
    void setOrientation(StackOrientation orientation);
    StackAlignment alignment() const { return alignment_; }
    void setAlignment(StackAlignment alignment);
    double spacing() const { return spacing_; }
    void setSpacing(double spacing);
    EdgeInsets edgeInsets() const { return insets_; }
    void setEdgeInsets(EdgeInsets insets);

    // The arranged views' fitting sizes, the spacing between them and the insets around them.
    Size fittingSize() const override;
    void layout() override;

private:
    void applyAlignment();

    std::vector<View*> arranged_;
    StackOrientation orientation_ = StackOrientation::Horizontal;
    StackAlignment alignment_ = StackAlignment::Center;
    double spacing_ = 8;
    EdgeInsets insets_;
};

}  // namespace corkwallery::platform
