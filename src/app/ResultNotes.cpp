#include "ResultNotes.h"

#include "BatchState.h"
#include "ResultCodes.h"

#include <QFile>
#include <cerrno>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace tavelkor {

namespace {

// Less free room than this on the output's file system reads as a full disk.
constexpr unsigned long long FullDiskBytes = 64 * 1024;

QByteArray FolderPart(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

} // namespace

QString SaveFailureText(const QString& path) {
    const QByteArray file = QFile::encodeName(path);
    const QByteArray folder = FolderPart(file);
    struct stat info;
    if (::stat(folder.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return QStringLiteral(u"保存先のフォルダがありません。フォルダを作るか、"
                              u"別の保存先を選んでください");
    const bool exists = ::stat(file.constData(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode))
        return QStringLiteral(u"同じ名前のファイル以外のもの（フォルダなど）があります。"
                              u"それを移すか、別の保存先を選んでください");
    if (exists && ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
                   ::access(file.constData(), W_OK) != 0))
        return QStringLiteral(u"ファイルが読み取り専用です。書き込みを許可するか、"
                              u"別の保存先を選んでください");
    if (::access(folder.constData(), W_OK | X_OK) != 0)
        return QStringLiteral(u"保存先のフォルダに書き込めません。書き込みを許可するか、"
                              u"別の保存先を選んでください");
    struct statvfs room;
    if (::statvfs(folder.constData(), &room) == 0 &&
        (unsigned long long)room.f_bavail * room.f_frsize < FullDiskBytes)
        return QStringLiteral(u"ディスクに空きがありません。空きを作ってから"
                              u"もう一度実行してください");
    return QStringLiteral(u"書き込めませんでした。保存先とその空きを確かめてください");
}

void AddResultNotes(BatchState& state) {
    for (ResultRecord& record : state.Results) {
        if (!record.Note.isEmpty() || record.FileName.isEmpty())
            continue;
        if (record.Code == SaveError) {
            record.Note = SaveFailureText(record.FileName);
        } else if (record.Code == NotTargetFile) {
            struct stat info;
            if (::stat(QFile::encodeName(record.FileName).constData(), &info) == 0 &&
                S_ISREG(info.st_mode) && info.st_size == 0)
                record.Note = QStringLiteral(u"空のファイル");
        }
    }
}

} // namespace tavelkor
