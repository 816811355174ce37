// A second process for tst_singleinstance: claims the data folder given as its argument, says
// "claimed" or "refused" on its output, then "activated" each time a later start asks it to the
// front, until it is ended.
#include <cstdio>

#include <QCoreApplication>

#include "app/singleinstance.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    SingleInstance instance(QString::fromLocal8Bit(argv[1]));
    const bool claimed = instance.claim() == SingleInstance::Claim::Claimed;
    std::puts(claimed ? "claimed" : "refused");
    std::fflush(stdout);
    if (!claimed)
        return 1;
    QObject::connect(&instance, &SingleInstance::activationRequested, [] {
        std::puts("activated");
        std::fflush(stdout);
    });
    return app.exec();
}
