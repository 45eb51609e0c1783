#include "platform/Layer.h"

#include <QEasingCurve>
#include <QPointF>
#include <QVariantAnimation>
#include <algorithm>
#include <map>

#include "platform/LayerRaster.h"
#include "platform/Transaction.h"
#include "platform/TransactionQueue.h"

namespace corkwallery::platform {

namespace {

QEasingCurve easingFor(TimingFunction function) {
    auto bezier = [](double x1, double y1, double x2, double y2) {
        QEasingCurve curve(QEasingCurve::BezierSpline);
        curve.addCubicBezierSegment(QPointF(x1, y1), QPointF(x2, y2), QPointF(1, 1));
        return curve;
    };
    switch (function) {
        case TimingFunction::Linear:
            return QEasingCurve(QEasingCurve::Linear);
        case TimingFunction::EaseIn:
            return bezier(0.42, 0, 1, 1);
        case TimingFunction::EaseOut:
            return bezier(0, 0, 0.58, 1);
        case TimingFunction::EaseInEaseOut:
            return bezier(0.42, 0, 0.58, 1);
        case TimingFunction::Default:
            return bezier(0.25, 0.1, 0.25, 1);
    }
    return QEasingCurve(QEasingCurve::Linear);
}

}  // namespace

// The animations on one layer, each driven by a Qt animation of its eased progress.
class Layer::Animations {
public:
    struct Running {
        BasicAnimation animation;
        std::unique_ptr<QVariantAnimation> driver;
        bool finished = false;

        double progress() const { return finished ? 1.0 : driver->currentValue().toDouble(); }
    };

    explicit Animations(Layer& layer) : layer_(layer) {}

    void add(const BasicAnimation& animation, const std::string& key) {
        remove(key);
        auto driver = std::make_unique<QVariantAnimation>();
        driver->setStartValue(0.0);
        driver->setEndValue(1.0);
        driver->setDuration(std::max(0, static_cast<int>(animation.duration * 1000.0 + 0.5)));
        driver->setEasingCurve(easingFor(animation.timingFunction));
        QVariantAnimation* raw = driver.get();
        QObject::connect(raw, &QVariantAnimation::valueChanged,
                         [this] { layer_.setNeedsDisplay(); });
        QObject::connect(raw, &QVariantAnimation::finished, [this, key, raw] { finish(key, raw); });
        running_[key] = Running{animation, std::move(driver), false};
        raw->start();
    }

    void remove(const std::string& key) {
        auto it = running_.find(key);
        if (it == running_.end())
            return;
        retire(std::move(it->second.driver));
        running_.erase(it);
        layer_.setNeedsDisplay();
    }

    const BasicAnimation* find(const std::string& key) const {
        auto it = running_.find(key);
        return it == running_.end() ? nullptr : &it->second.animation;
    }

    double scale() const {
        double scale = 1.0;
        for (const auto& [key, run] : running_) {
            const BasicAnimation& a = run.animation;
            if (a.keyPath != "transform.scale")
                continue;
            if (run.finished && a.fillMode != FillMode::Forwards)
                continue;
            scale = a.fromValue + (a.toValue - a.fromValue) * run.progress();
        }
        return scale;
    }

private:
    void finish(const std::string& key, QVariantAnimation* driver) {
        auto it = running_.find(key);
        if (it == running_.end() || it->second.driver.get() != driver)
            return;
        it->second.finished = true;
        if (it->second.animation.removedOnCompletion) {
            remove(key);
        } else {
            layer_.setNeedsDisplay();
        }
    }

    // A driver may be the sender of the signal being handled: delete it once control returns to
    // the event loop.
    static void retire(std::unique_ptr<QVariantAnimation> driver) {
        driver->disconnect();
        driver->stop();
        driver.release()->deleteLater();
    }

    Layer& layer_;
    std::map<std::string, Running> running_;
};

Layer::Layer() : animations_(std::make_unique<Animations>(*this)) {}

Layer::~Layer() {
    removeFromSuperlayer();
    for (Layer* sub : sublayers_)
        sub->superlayer_ = nullptr;
    forgetDeferredDisplay(*this);
}

void Layer::setFrame(Rect frame) {
    frame_ = frame;
    setNeedsDisplay();
}
void Layer::setZPosition(double z) {
    zPosition_ = z;
    setNeedsDisplay();
}
void Layer::setTransform(Transform transform) {
    transform_ = transform;
    setNeedsDisplay();
}
void Layer::setContents(std::optional<Image> contents) {
    contents_ = std::move(contents);
    setNeedsDisplay();
}
void Layer::setContentsGravity(ContentsGravity gravity) {
    gravity_ = gravity;
    setNeedsDisplay();
}
void Layer::setCornerRadius(double radius) {
    cornerRadius_ = radius;
    setNeedsDisplay();
}
void Layer::setMasksToBounds(bool masks) {
    masksToBounds_ = masks;
    setNeedsDisplay();
}
void Layer::setBackgroundColor(std::optional<Color> color) {
    background_ = color;
    setNeedsDisplay();
}

void Layer::addSublayer(Layer& layer) {
    layer.removeFromSuperlayer();
    layer.superlayer_ = this;
    sublayers_.push_back(&layer);
    setNeedsDisplay();
}

void Layer::removeFromSuperlayer() {
    if (superlayer_ == nullptr)
        return;
    std::erase(superlayer_->sublayers_, this);
    superlayer_->setNeedsDisplay();
    superlayer_ = nullptr;
}

void Layer::addAnimation(const BasicAnimation& animation, const std::string& key) {
    animations_->add(animation, key);
}
void Layer::removeAnimation(const std::string& key) {
    animations_->remove(key);
}
const BasicAnimation* Layer::animationForKey(const std::string& key) const {
    return animations_->find(key);
}
double Layer::presentationScale() const {
    return animations_->scale();
}

void Layer::setDrawsQuickly(bool quickly) {
    if (drawsQuickly_ == quickly)
        return;
    drawsQuickly_ = quickly;
    setNeedsDisplay();
}

LayerRaster& Layer::raster() const {
    if (!raster_)
        raster_ = std::make_unique<LayerRaster>();
    return *raster_;
}

void Layer::setDisplayHandler(std::function<void()> handler) {
    displayHandler_ = std::move(handler);
}

void Layer::setNeedsDisplay() {
    Layer* root = this;
    while (root->superlayer_ != nullptr)
        root = root->superlayer_;
    if (!root->displayHandler_)
        return;
    if (Transaction::isOpen()) {
        deferDisplay(*root);
    } else {
        root->displayHandler_();
    }
}

}  // namespace corkwallery::platform
