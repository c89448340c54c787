#include "runtime_folder.h"

#include <QDir>
#include <QFile>
#include <QtGlobal>

namespace vellarin {

RuntimeFolderForRun::RuntimeFolderForRun()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    // Made by mkdtemp: owned by this user, mode 0700.
    auto folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/vellarin-runtime-XXXXXX"));
    if (!folder->isValid())
        return;  // the toolkit falls back on its own, and says so
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder->path()));
    m_folder = std::move(folder);
}

RuntimeFolderForRun::~RuntimeFolderForRun()
{
    if (m_folder)
        qunsetenv("XDG_RUNTIME_DIR");
}

}  // namespace vellarin
