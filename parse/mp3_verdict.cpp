#include "parse/mp3_frames.h"

namespace tavimo {

QString Mp3Verdict::reason() const
{
    switch (fault) {
    case Mp3Fault::None:
        return QString();
    case Mp3Fault::Empty:
        return QStringLiteral("空文件");
    case Mp3Fault::NotMp3:
        return QStringLiteral("开头既不是 ID3v2 标签也不是 MPEG 音频帧");
    case Mp3Fault::HtmlPage:
        return QStringLiteral("不是 MP3 文件, 而是一个 HTML 网页");
    case Mp3Fault::TagPastEnd:
        return QStringLiteral("标签声称 %1 字节, 文件只有 %2 字节").arg(bytes).arg(fileSize);
    case Mp3Fault::NoFrame:
        return QStringLiteral("没有 MPEG 音频帧");
    case Mp3Fault::FramesBroken:
        return QStringLiteral("第 %1 字节处音频帧中断, 其后还有 %2 字节").arg(offset).arg(bytes);
    case Mp3Fault::LastFrameCut:
        return QStringLiteral("最后一帧不完整 (缺 %1 字节)").arg(bytes);
    case Mp3Fault::FramesMissing:
        return recorded > found ? QStringLiteral("文件被截断: 编码器记录了 %1 帧, 只有 %2 帧 (缺 %3 字节)")
                                      .arg(recorded)
                                      .arg(found)
                                      .arg(bytes)
                                : QStringLiteral("文件被截断: 比编码器记录的少 %1 字节").arg(bytes);
    case Mp3Fault::AudioDamaged:
        return QStringLiteral("音频数据已损坏: 校验值 %1 与编码器记录的 %2 不符")
            .arg(found, 4, 16, QLatin1Char('0'))
            .arg(recorded, 4, 16, QLatin1Char('0'));
    case Mp3Fault::ReadError:
        return error.isEmpty() ? QStringLiteral("无法读取") : QStringLiteral("无法读取: %1").arg(error);
    }
    return QString();
}

} // namespace tavimo
