#include <QApplication>

#include "app/build_config.h"
#include "app/program.h"
#include "ui/qt/qt_toolkit.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    kestrava::QtToolkit toolkit;
    const auto net = kestrava::make_system_net();
    const auto files = kestrava::make_system_files();
    kestrava::Program program(toolkit, *net, *files,
                              {KESTRAVA_WEB_HOST, KESTRAVA_UPDATES_ADDRESS, "config.cfg"});
    return kestrava::run_program(program);
}
