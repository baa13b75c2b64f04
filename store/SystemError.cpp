#include "SystemError.h"

#include <cerrno>

QString systemErrorText(int errorNumber)
{
    const struct {
        int number;
        const char *text;
    } reasons[] = {
        { ENOSPC, "磁盘已满" },
        { EDQUOT, "超出磁盘配额" },
        { EACCES, "没有权限" },
        { EPERM, "不允许此操作" },
        { EROFS, "文件系统是只读的" },
        { EIO, "输入输出错误" },
        { ENAMETOOLONG, "文件名太长" },
        { ENOENT, "文件或文件夹不存在" },
        { ENOTDIR, "路径中有一项不是文件夹" },
        { EISDIR, "这是一个文件夹" },
        { EEXIST, "文件已存在" },
        { EMFILE, "打开的文件太多" },
        { ENFILE, "系统中打开的文件太多" },
        { ENOMEM, "内存不足" },
        { ELOOP, "符号链接太多" },
        { EBUSY, "设备或资源忙" },
        { EFBIG, "文件太大" },
        { ETXTBSY, "文件正被使用" },
        { EAGAIN, "资源暂时不可用" },
        { EINTR, "操作被中断" },
        { EINVAL, "参数无效" },
        { ENODEV, "没有这个设备" },
        { ENXIO, "没有这个设备或地址" },
        { ESTALE, "网络文件句柄已失效" },
        { ETIMEDOUT, "操作超时" },
    };
    for (const auto &reason : reasons) {
        if (reason.number == errorNumber)
            return QString::fromUtf8(reason.text);
    }
    return QStringLiteral("系统错误 %1").arg(errorNumber);
}
