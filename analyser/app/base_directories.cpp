#include "base_directories.h"

#include <QDir>
#include <QtGlobal>

namespace vellarin {

void ignoreRelativeBaseDirectories()
{
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"}) {
        const QString path = qEnvironmentVariable(name);
        if (!path.isEmpty() && QDir::isRelativePath(path))
            qunsetenv(name);
    }
}

}  // namespace vellarin
