// The reference the clock is measured against: the plainest Qt clock there is,
// a label in a window, set from a 500 ms timer.
#include <QApplication>
#include <QLabel>
#include <QTime>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QLabel label;
    label.setWindowTitle(QStringLiteral("Reference"));
    label.setText(QTime::currentTime().toString(QStringLiteral("hh:mm:ss")));
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &label, [&label] {
        label.setText(QTime::currentTime().toString(QStringLiteral("hh:mm:ss")));
    });
    timer.start(500);
    label.show();
    return QApplication::exec();
}
