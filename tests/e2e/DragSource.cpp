// A drag source for the journeys, as a file manager is: a small window named
// "corkwallery-drag-source" in the screen's top-left corner which, when pressed, drags its
// arguments as text/uri-list (each path's bytes percent-encoded into a file:// URL), offering a
// copy, a move or a link. It logs "dragging" once the drag holds the pointer (moves before that
// carry nothing), "over <action>" whenever the target under the pointer accepts an action, then
// "dropped <action>", and runs on: the drop's target may ask for the data after the drag has ended
// here.

#include <QApplication>
#include <QDebug>
#include <QDrag>
#include <QMimeData>
#include <QTimer>
#include <QWidget>

class Source final : public QWidget {
public:
    explicit Source(QByteArray uris) : uris_(std::move(uris)) {
        setWindowTitle(QStringLiteral("corkwallery-drag-source"));
        setGeometry(10, 40, 80, 80);
    }

protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* drag = new QDrag(this);
        drag->setMimeData(new QMimeData);
        drag->mimeData()->setData(QStringLiteral("text/uri-list"), uris_);
        QObject::connect(drag, &QDrag::actionChanged,
                         [](Qt::DropAction action) { qInfo() << "over" << action; });
        // Runs inside the drag's own loop, once it has taken the pointer.
        QTimer::singleShot(0, this, [] { qInfo() << "dragging"; });
        qInfo() << "dropped"
                << drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
    }

private:
    QByteArray uris_;
};

int main(int argc, char** argv) {
    QByteArray uris;
    for (int i = 1; i < argc; ++i)
        uris += "file://" + QByteArray(argv[i]).toPercentEncoding("/") + "\r\n";
    QApplication application(argc, argv);
    Source source(uris);
    source.show();
    return QApplication::exec();
}
