// Costs of a pin's photo view: laying out photo and pin, one resize drag event with the paint that
// follows, and one paint at rest, for pins of several sizes on the offscreen platform.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QImage>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
#include <QtMath>

#include "decode/PhotoDecoder.h"
#include "desktop/DraggableImageView.h"
#include "platform/ScreenCoordinates.h"

namespace {

using corkwallery::DraggableImageView;
namespace PhotoDecoder = corkwallery::PhotoDecoder;
namespace PhotoGeometry = corkwallery::PhotoGeometry;

// A shown translucent window that the view fills, frame and margin, as a pin window is.
class Host final : public QWidget, public DraggableImageView::Window {
public:
    explicit Host(QRectF frame) : frame_(frame) {
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        setAttribute(Qt::WA_TranslucentBackground);
    }
    QRectF frame() const override { return frame_; }
    void setFrameSizeKeepingCenter(QSizeF size) override {
        frame_ = QRectF(frame_.center() - QPointF(size.width(), size.height()) / 2, size);
        resize(qCeil(size.width() + 2 * margin_), qCeil(size.height() + 2 * margin_));
        if (view != nullptr)
            view->resize(this->size());
    }
    void setFrameOrigin(QPointF origin) override { frame_.moveTopLeft(origin); }
    double drawingMargin() const override { return margin_; }
    void setDrawingMargin(double points) override { margin_ = points; }
    void drawnShapeChanged() override {}

    DraggableImageView* view = nullptr;  // a child

private:
    QRectF frame_;
    double margin_ = 0;
};

// A shown pin `side` points wide (3:2), holding a photo decoded as finely as the pin needs.
struct Pin {
    explicit Pin(double side) : host(QRectF(100, 100, side, side * 2 / 3)) {
        const QSizeF size(side, side * 2 / 3);
        view = new DraggableImageView(size);
        view->setParent(&host);
        host.view = view;
        const int pixels = PhotoDecoder::longerSideToDecode(size, 1);
        QImage photo(pixels, pixels * 2 / 3, QImage::Format_RGB32);
        QPainter painter(&photo);
        painter.fillRect(photo.rect(), QLinearGradient(0, 0, pixels, pixels));
        painter.end();
        view->setImage(photo, QSizeF(6000, 4000));
        view->renderPinImage();
        view->setHostWindow(&host);
        view->fitWindowToPhoto(size, 0.1);
        host.show();
        // Painting starts once the offscreen window is exposed.
        while (!host.windowHandle() || !host.windowHandle()->isExposed())
            QCoreApplication::processEvents();
        view->repaint();
    }
    void send(QEvent::Type type, QPointF at, Qt::KeyboardModifiers modifiers) {
        QMouseEvent event(type, QPointF(1, 1), corkwallery::platform::screen::toQt(at),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          modifiers);
        QApplication::sendEvent(view, &event);
    }

    Host host;
    DraggableImageView* view = nullptr;  // a child of the host
};

// The photo's and the pin's places for the view's bounds.
void layout(benchmark::State& state) {
    Pin pin(static_cast<double>(state.range(0)));
    const QSizeF bounds = pin.host.frame().size();
    for (auto _ : state) {
        benchmark::DoNotOptimize(PhotoGeometry::photoFrame(bounds, pin.view->baseImageSize()));
        benchmark::DoNotOptimize(
            PhotoGeometry::pinFrame(bounds, pin.view->baseImageSize(), pin.view->rotationAngle()));
    }
}

// The pointer swings back and forth by a few points, so every event changes the size.
void resizeDragEvent(benchmark::State& state) {
    Pin pin(static_cast<double>(state.range(0)));
    const QPointF start(400, 300);
    pin.send(QEvent::MouseButtonPress, start, Qt::AltModifier);
    double step = 1;
    for (auto _ : state) {
        step = -step;
        pin.send(QEvent::MouseMove, start + QPointF(2 + step, 0), Qt::NoModifier);
        pin.view->repaint();
    }
    pin.send(QEvent::MouseButtonRelease, start, Qt::NoModifier);
}

// What our painting costs: the view's paint into an image of the window's size.
void paintAtRest(benchmark::State& state) {
    Pin pin(static_cast<double>(state.range(0)));
    QImage target(pin.view->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state)
        pin.view->render(&target);
}

// The same paint as Qt delivers it to the window, clearing and flushing included.
void repaintAtRest(benchmark::State& state) {
    Pin pin(static_cast<double>(state.range(0)));
    for (auto _ : state)
        pin.view->repaint();
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
