#include "platform/SymbolArt.h"

#include <QFile>
#include <QSvgRenderer>

// The art is compiled into the static library, whose resources register only when asked to.
static void registerSymbolArt() {
    Q_INIT_RESOURCE(resources);
}

namespace corkwallery::platform {

namespace {

constexpr double kPointSizeOfOneUnit = 20.0;

// Outline width added around the art, in SVG units, per weight.
double strokeWidth(FontWeight weight) {
    switch (weight) {
        case FontWeight::Regular:
            return 0;
        case FontWeight::Medium:
            return 0.35;
        case FontWeight::Semibold:
            return 0.6;
        case FontWeight::Bold:
            return 0.9;
    }
    return 0;
}

QByteArray artFor(FontWeight weight, QByteArray art) {
    const double width = strokeWidth(weight);
    // A zero-width pen would draw a hairline, so Regular has no outline at all.
    art.replace("{{stroke}}", width > 0 ? "#000" : "none");
    art.replace("{{weight}}", QByteArray::number(width));
    return art;
}

}  // namespace

SymbolImpl::SymbolImpl(std::string name, SymbolConfiguration configuration, QByteArray svg,
                       Size size)
    : Impl(size), name_(std::move(name)), configuration_(configuration), svg_(std::move(svg)) {}

QImage SymbolImpl::render(QSize pixels) const {
    QSvgRenderer renderer(svg_);
    if (!renderer.isValid())
        return {};
    QImage out(pixels, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    renderer.render(&painter, QRectF(0, 0, pixels.width(), pixels.height()));
    return out;
}

std::shared_ptr<SymbolImpl> makeSymbolImpl(std::string_view name,
                                           SymbolConfiguration configuration) {
    static const bool registered = (registerSymbolArt(), true);
    (void)registered;
    QFile file(QStringLiteral(":/symbols/%1.svg")
                   .arg(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))));
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    QByteArray svg = artFor(configuration.weight, file.readAll());
    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        return nullptr;
    const QRectF box = renderer.viewBoxF();
    const double scale = configuration.pointSize / kPointSizeOfOneUnit;
    return std::make_shared<SymbolImpl>(std::string(name), configuration, std::move(svg),
                                        Size{box.width() * scale, box.height() * scale});
}

}  // namespace corkwallery::platform
