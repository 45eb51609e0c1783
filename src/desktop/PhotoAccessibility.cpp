#include "desktop/PhotoAccessibility.h"

#include "desktop/DraggableImageView.h"

namespace corkwallery {

namespace {

// A photo's actions: the name, the same in every language, what screen readers show of it and
// what they say it does.
struct Action {
    QLatin1StringView name;
    const char* label;
    const char* does;
};

constexpr Action kLock{QLatin1StringView("Lock"),
                       //: A screen reader's action on a pinned photo.
                       QT_TRANSLATE_NOOP("PhotoAccessibility", "Lock"),
                       QT_TRANSLATE_NOOP("PhotoAccessibility", "Keeps the photo where it is")};
constexpr Action kUnlock{
    QLatin1StringView("Unlock"),
    //: A screen reader's action on a pinned photo.
    QT_TRANSLATE_NOOP("PhotoAccessibility", "Unlock"),
    QT_TRANSLATE_NOOP("PhotoAccessibility", "Lets the photo be moved and resized")};
constexpr Action kRemove{
    QLatin1StringView("Remove"),
    //: A screen reader's action on a pinned photo.
    QT_TRANSLATE_NOOP("PhotoAccessibility", "Remove"),
    QT_TRANSLATE_NOOP("PhotoAccessibility", "Takes the photo off the desktop")};
constexpr Action kOpen{
    QLatin1StringView("Open"),
    //: A screen reader's action on a pinned photo.
    QT_TRANSLATE_NOOP("PhotoAccessibility", "Open"),
    QT_TRANSLATE_NOOP("PhotoAccessibility", "Opens the photo in another application")};

const Action* action(const QString& name) {
    for (const Action* action : {&kLock, &kUnlock, &kRemove, &kOpen}) {
        if (name == action->name)
            return action;
    }
    return nullptr;
}

}  // namespace

// Only the lock changes what is said of the photo.
PhotoAccessibility::PhotoAccessibility(DraggableImageView* view)
    : QAccessibleWidget(view, QAccessible::Graphic) {
    QObject::connect(view, &DraggableImageView::lockedChanged, view, [view] {
        QAccessibleEvent changed(view, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&changed);
    });
}

QAccessibleInterface* PhotoAccessibility::factory(const QString&, QObject* object) {
    auto* view = qobject_cast<DraggableImageView*>(object);
    return view != nullptr ? new PhotoAccessibility(view) : nullptr;
}

DraggableImageView* PhotoAccessibility::view() const {
    return static_cast<DraggableImageView*>(widget());
}

QString PhotoAccessibility::text(QAccessible::Text t) const {
    switch (t) {
        case QAccessible::Name:
            return view()->photoName();
        case QAccessible::Description:
            //: What a screen reader says of a pinned photo that cannot be moved, and of one that
            //: can.
            return view()->isLocked() ? tr("Locked photo") : tr("Photo");
        default:
            return QAccessibleWidget::text(t);
    }
}

QStringList PhotoAccessibility::actionNames() const {
    return {view()->isLocked() ? kUnlock.name : kLock.name, kRemove.name, kOpen.name};
}

QString PhotoAccessibility::localizedActionName(const QString& name) const {
    const Action* named = action(name);
    return named != nullptr ? tr(named->label) : QString();
}

QString PhotoAccessibility::localizedActionDescription(const QString& name) const {
    const Action* named = action(name);
    return named != nullptr ? tr(named->does) : QString();
}

// A name that no longer applies (Lock on a photo locked meanwhile) does nothing.
void PhotoAccessibility::doAction(const QString& name) {
    DraggableImageView* photo = view();
    if (name == (photo->isLocked() ? kUnlock : kLock).name)
        photo->toggleLock();
    else if (name == kOpen.name)
        photo->openThisPhoto();
    else if (name == kRemove.name)
        photo->removeThisPhoto();  // last: the photo and this interface may be gone
}

}  // namespace corkwallery
