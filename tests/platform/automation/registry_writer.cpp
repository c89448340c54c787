// One of several programs registering at once: registers COUNT classes of its
// own, one read-change-write each, into the registry REGISTRY.
//   registry_writer REGISTRY WRITER COUNT
#include <automation/registry.h>

#include <QString>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    if (argc != 4)
        return 2;
    automation::ComponentRegistry registry(QString::fromLocal8Bit(argv[1]));
    const uint writer = uint(std::atoi(argv[2]));
    const int count = std::atoi(argv[3]);
    for (int i = 0; i < count; ++i) {
        const QUuid id(writer, ushort(i), 0, 0, 0, 0, 0, 0, 0, 0, 0);
        const automation::ClassRegistration entry{id, QStringLiteral("Writer%1.Class%2.1").arg(writer).arg(i),
                                                  QStringLiteral("Writer"), QStringLiteral("/nonexistent/libw.so")};
        if (automation::failed(registry.registerClass(entry))) {
            std::fprintf(stderr, "writer %u: class %d not registered\n", writer, i);
            return 1;
        }
    }
    return 0;
}
