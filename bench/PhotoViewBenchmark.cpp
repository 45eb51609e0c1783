// Costs of a pin's photo view: laying out its layers, one resize drag event with the paint that
// follows, and one paint at rest, for pins of several sizes on the offscreen platform.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <QWindow>
#include <memory>

#include "photo/DraggableImageView.h"
#include "photo/PhotoResolution.h"
#include "platform/ImageImpl.h"
#include "platform/LayerPainter.h"
#include "platform/MouseEvent.h"
#include "platform/Panel.h"
#include "platform/PanelWidget.h"
#include "platform/ViewWidget.h"

namespace {

using corkwallery::DraggableImageView;
using corkwallery::PhotoResolution;
using corkwallery::platform::Panel;
using corkwallery::platform::Rect;
using corkwallery::platform::Size;

// A shown pin `side` points wide (3:2), holding a photo decoded as finely as the pin needs.
struct Pin {
    explicit Pin(double side) {
        const Size size{side, side * 2 / 3};
        panel = std::make_unique<Panel>(Rect(100, 100, size.width, size.height));
        panel->setOpaque(false);
        panel->setBackgroundColor(corkwallery::platform::Color::clear());
        auto owned = std::make_unique<DraggableImageView>(Rect({0, 0}, size));
        view = owned.get();
        const int pixels = PhotoResolution::longerSideToDecode(size, 1);
        QImage photo(pixels, pixels * 2 / 3, QImage::Format_RGB32);
        QPainter painter(&photo);
        painter.fillRect(photo.rect(), QLinearGradient(0, 0, pixels, pixels));
        painter.end();
        const auto image = corkwallery::platform::imageFromQImage(photo, Size{6000, 4000});
        view->setImage(image);
        view->imageLayer().setContents(image);
        view->renderPinImage();
        panel->setContentView(std::move(owned));
        view->fitWindowToPhoto(size, 0.1);
        panel->orderFront();
        // Painting starts once the offscreen window is exposed.
        while (!widget()->window()->windowHandle() ||
               !widget()->window()->windowHandle()->isExposed())
            QCoreApplication::processEvents();
        widget()->repaint();
    }
    QWidget* widget() const { return static_cast<QWidget*>(panel->contentView()->widget()); }

    std::unique_ptr<Panel> panel;
    DraggableImageView* view = nullptr;
};

void layout(benchmark::State& state) {
    Pin pin(static_cast<double>(state.range(0)));
    for (auto _ : state)
        pin.view->layoutLayers();
}

// The pointer swings back and forth by a few points, so every event changes the size.
void resizeDragEvent(benchmark::State& state) {
    Pin pin(static_cast<double>(state.range(0)));
    const corkwallery::platform::Point start{400, 300};
    pin.view->mouseDown({start, corkwallery::platform::ModifierOption});
    double step = 1;
    for (auto _ : state) {
        step = -step;
        pin.view->mouseDragged({{start.x + 2 + step, start.y}, 0});
        pin.widget()->repaint();
    }
    pin.view->mouseUp({start, 0});
}

// What our painting costs: the layer tree into an image of the window's size.
void paintAtRest(benchmark::State& state) {
    Pin pin(static_cast<double>(state.range(0)));
    const Size size = pin.view->frame().size;
    QImage target(static_cast<int>(size.width), static_cast<int>(size.height),
                  QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&target);
        corkwallery::platform::paintLayerTree(painter, *pin.view->layer(), size.height);
    }
}

// The same paint as Qt delivers it to the window, clearing and flushing included.
void repaintAtRest(benchmark::State& state) {
    Pin pin(static_cast<double>(state.range(0)));
    for (auto _ : state)
        pin.widget()->repaint();
}

}  // namespace

BENCHMARK(layout)->Name("Layout")->Arg(300)->Unit(benchmark::kMicrosecond);
BENCHMARK(resizeDragEvent)
    ->Name("ResizeDragEvent")
    ->Arg(300)
    ->Arg(600)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(paintAtRest)->Name("PaintAtRest")->Arg(300)->Arg(3000)->Unit(benchmark::kMicrosecond);
BENCHMARK(repaintAtRest)->Name("RepaintAtRest")->Arg(300)->Arg(3000)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
