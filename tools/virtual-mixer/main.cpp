#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <cstdio>
#include <memory>

#include "endpoint.h"
#include "mixer_window.h"
#include "receiver.h"
#include "session_log.h"

namespace {

// Reports a start-up failure on stderr and, where someone can see it, in a message box.
int fail(const QString& text) {
    std::fprintf(stderr, "virtual-mixer: %s\n", qPrintable(text));
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal")) {
        QMessageBox::critical(nullptr, QStringLiteral("Virtual mixer"), text);
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kestrava::vmixer;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("virtual-mixer"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Listens for OSC float messages on UDP and shows the faders they set."));
    parser.addHelpOption();
    const QCommandLineOption listen_option(
        QStringLiteral("listen"),
        QStringLiteral("Listen on ADDR:PORT (default %1); port 0 picks a free port.")
            .arg(QString::fromStdString(Endpoint{}.text())),
        QStringLiteral("ADDR:PORT"));
    const QCommandLineOption log_option(QStringLiteral("log"),
                                        QStringLiteral("Write one line per datagram to FILE."),
                                        QStringLiteral("FILE"));
    parser.addOption(listen_option);
    parser.addOption(log_option);
    parser.process(app);

    Endpoint endpoint;
    if (parser.isSet(listen_option)) {
        const auto parsed = parse_endpoint(parser.value(listen_option).toStdString());
        if (!parsed) {
            std::fprintf(stderr,
                         "virtual-mixer: --listen takes an IPv4 address and a port, for "
                         "example 127.0.0.1:10023\n");
            return 2;
        }
        endpoint = *parsed;
    }

    std::unique_ptr<SessionLog> log;
    if (parser.isSet(log_option)) {
        const QString path = parser.value(log_option);
        log = std::make_unique<SessionLog>(path.toStdString());
        if (!log->ok()) {
            return fail(QStringLiteral("cannot write the log file %1").arg(path));
        }
    }

    MixerWindow window;
    Receiver receiver;
    receiver.set_log(log.get());
    QObject::connect(&receiver, &Receiver::frame, &window, &MixerWindow::show_view);

    QString error;
    if (!receiver.listen(endpoint, &error)) {
        return fail(QStringLiteral("cannot listen on UDP %1: %2")
                        .arg(QString::fromStdString(endpoint.text()), error));
    }
    endpoint.port = receiver.port();
    const QString bound = QString::fromStdString(endpoint.text());
    std::printf("virtual-mixer: listening on UDP %s\n", qPrintable(bound));
    std::fflush(stdout);

    window.set_listening(bound);
    window.show();
    return QApplication::exec();
}
