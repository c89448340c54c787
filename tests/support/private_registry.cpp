// Every test program works on registries of its own, whoever starts it, so
// no test reads or rewrites the user's or the system's component registry.
#include <QByteArray>
#include <QDir>

#include <cstdlib>

namespace {

struct PrivateRegistry {
    QByteArray folder;
    PrivateRegistry()
    {
        folder = QDir::tempPath().toLocal8Bit() + "/vellarin-test-registry-XXXXXX";
        if (!mkdtemp(folder.data()))
            std::abort();
        setenv("AUTOMATION_REGISTRY", folder + "/user.json", 1);
        setenv("AUTOMATION_SYSTEM_REGISTRY", folder + "/system", 1);
    }
    ~PrivateRegistry() { QDir(QString::fromLocal8Bit(folder)).removeRecursively(); }
};

const PrivateRegistry registry;

}  // namespace
