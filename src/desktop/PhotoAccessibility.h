#pragma once

#include <QAccessibleWidget>
#include <QCoreApplication>

namespace corkwallery {

class DraggableImageView;

// What screen readers are told of a pin: a graphic named after its photo, saying in its
// description whether it is locked, with the actions of its context menu (Lock or Unlock, Remove)
// and Open. A lock change is announced as a change of the description.
class PhotoAccessibility final : public QAccessibleWidget {
    Q_DECLARE_TR_FUNCTIONS(PhotoAccessibility)
public:
    explicit PhotoAccessibility(DraggableImageView* view);

    // For QAccessible::installFactory: this interface for every photo view, nothing for the rest.
    static QAccessibleInterface* factory(const QString& className, QObject* object);

    QString text(QAccessible::Text t) const override;
    QStringList actionNames() const override;
    QString localizedActionName(const QString& name) const override;
    QString localizedActionDescription(const QString& name) const override;
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
    // Remove may delete the view, and this interface with it.
    void doAction(const QString& name) override;

private:
    DraggableImageView* view() const;
};

}  // namespace corkwallery
