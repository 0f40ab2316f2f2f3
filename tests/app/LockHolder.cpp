// Takes the lock file named on its command line and dies holding it, as a copy of the program
// that was killed would: the lock stays behind, naming a process that no longer runs.
#include <QCoreApplication>
#include <QLockFile>
#include <QString>
#include <csignal>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 2) return 2;
    QLockFile lock(QString::fromLocal8Bit(argv[1]));
    if (!lock.tryLock(0)) return 1;
    std::raise(SIGKILL);
    return 0;
}
