// A plain Wayland client window for the KWin tests: a title and a size from
// the command line, a solid fill, nothing else, until it is killed.
#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>

namespace {

class Plain final : public QRasterWindow {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(QRect(QPoint(), size()), QColor(70, 110, 160));
    }
};

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    Plain window;
    window.setTitle(args.value(1, QStringLiteral("Vortaxis fixture")));
    window.resize(args.value(2, QStringLiteral("400")).toInt(),
                  args.value(3, QStringLiteral("300")).toInt());
    window.show();
    return QGuiApplication::exec();
}
