// A plain Wayland client window for the KWin tests: a title from the command
// line, a solid fill, nothing else, until it is killed.
#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>

namespace {

class Plain final : public QRasterWindow {
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(QRect(QPoint(), size()), QColor(70, 110, 160));
    }
};

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    Plain window;
    window.setTitle(app.arguments().value(1));
    window.resize(500, 400);
    window.show();
    return QGuiApplication::exec();
}
