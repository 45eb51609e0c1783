#pragma once

#include <QByteArray>
#include <memory>
#include <string>
#include <string_view>

#include "platform/ImageImpl.h"

namespace corkwallery::platform {

// A system symbol drawn from our SVG art in resources/symbols. The art is laid out so that a
// point size of 20 draws one SVG unit per point; heavier weights thicken the outline.
class SymbolImpl final : public Image::Impl {
public:
    SymbolImpl(std::string name, SymbolConfiguration configuration, QByteArray svg, Size size);

    const std::string& name() const { return name_; }
    const SymbolConfiguration& configuration() const { return configuration_; }
    QImage render(QSize pixels) const override;

private:
    std::string name_;
    SymbolConfiguration configuration_;
    QByteArray svg_;
};

std::shared_ptr<SymbolImpl> makeSymbolImpl(std::string_view name,
                                           SymbolConfiguration configuration);

}  // namespace corkwallery::platform
