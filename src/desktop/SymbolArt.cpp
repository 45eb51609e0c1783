#include "desktop/SymbolArt.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <memory>

// The art is compiled into the static library, whose resources register only when asked to.
static void registerSymbolArt() {
    Q_INIT_RESOURCE(symbols);
}

namespace corkwallery::SymbolArt {

namespace {

constexpr double kPointSizeOfOneUnit = 20.0;

// Outline width added around the art, in SVG units.
double strokeWidth(Weight weight) {
    switch (weight) {
        case Weight::Regular:
            return 0;
        case Weight::Medium:
            return 0.35;
        case Weight::Bold:
            return 0.9;
    }
    return 0;
}

// The art of `name` at `weight`; null for an unknown name.
std::unique_ptr<QSvgRenderer> art(std::string_view name, Weight weight) {
    static const bool registered = (registerSymbolArt(), true);
    (void)registered;
    QFile file(QStringLiteral(":/symbols/%1.svg")
                   .arg(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))));
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    QByteArray svg = file.readAll();
    const double width = strokeWidth(weight);
    // A zero-width pen would draw a hairline, so Regular has no outline at all.
    svg.replace("{{stroke}}", width > 0 ? "#000" : "none");
    svg.replace("{{weight}}", QByteArray::number(width));
    auto renderer = std::make_unique<QSvgRenderer>(svg);
    return renderer->isValid() ? std::move(renderer) : nullptr;
}

}  // namespace

QSizeF size(std::string_view name, double pointSize) {
    const auto renderer = art(name, Weight::Regular);
    if (!renderer)
        return {};
    return renderer->viewBoxF().size() * (pointSize / kPointSizeOfOneUnit);
}

QImage render(std::string_view name, double pointSize, Weight weight, QSize pixels, QColor color) {
    const auto renderer = art(name, weight);
    if (!renderer || pixels.isEmpty())
        return {};
    QImage out(pixels, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    const QSizeF natural = renderer->viewBoxF().size() * (pointSize / kPointSizeOfOneUnit);
    const QSizeF fitted = natural.scaled(QSizeF(pixels), Qt::KeepAspectRatio);
    QPainter painter(&out);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    renderer->render(&painter, QRectF(QPointF((pixels.width() - fitted.width()) / 2,
                                              (pixels.height() - fitted.height()) / 2),
                                      fitted));
    // Source-atop paints the colour only where the art has coverage, keeping its alpha.
    painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    painter.fillRect(out.rect(), color);
    return out;
}

}  // namespace corkwallery::SymbolArt
