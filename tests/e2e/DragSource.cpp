// A drag source for the journeys, as a file manager is: a small window named
// "corkwallery-drag-source" in the screen's top-left corner which, when pressed, drags its
// arguments as text/uri-list (each path's bytes percent-encoded into a file:// URL), offering a
// copy, a move or a link. It prints "dragging" once the drag holds the pointer (moves before that
// carry nothing), "over <action>" whenever the target under the pointer accepts an action, then
// "dropped <action>" (or "dropped none"), and runs on: the drop's target may ask for the data after
// the drag has ended here.

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <cstdio>

namespace {

const char* name(Qt::DropAction action) {
    switch (action) {
        case Qt::CopyAction:
            return "copy";
        case Qt::MoveAction:
            return "move";
        case Qt::LinkAction:
            return "link";
        default:
            return "none";
    }
}

class Source final : public QWidget {
public:
    explicit Source(QByteArray uris) : uris_(std::move(uris)) {
        setWindowTitle(QStringLiteral("corkwallery-drag-source"));
        setGeometry(10, 40, 80, 80);
    }

protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* drag = new QDrag(this);
        auto* carried = new QMimeData;
        carried->setData(QStringLiteral("text/uri-list"), uris_);
        drag->setMimeData(carried);
        QObject::connect(drag, &QDrag::actionChanged, [](Qt::DropAction action) {
            std::printf("over %s\n", name(action));
            std::fflush(stdout);
        });
        // Runs inside the drag's own loop, once it has taken the pointer.
        QTimer::singleShot(0, this, [] {
            std::printf("dragging\n");
            std::fflush(stdout);
        });
        const Qt::DropAction done =
            drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
        std::printf("dropped %s\n", name(done));
        std::fflush(stdout);
    }

private:
    QByteArray uris_;
};

}  // namespace

int main(int argc, char** argv) {
    QByteArray uris;
    for (int i = 1; i < argc; ++i)
        uris += "file://" + QByteArray(argv[i]).toPercentEncoding("/") + "\r\n";
    QApplication application(argc, argv);
    Source source(uris);
    source.show();
    return QApplication::exec();
}
