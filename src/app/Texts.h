#pragma once
// The window's fixed texts. Everything the user reads is Chinese; the help page is kept as
// its exact GBK bytes because that file is what other programs and the browser pane read.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quillory::texts {

inline const QString kCaption = QStringLiteral("Quillory (技术支持：quillory.org)");

inline const QString kLocalTab = QStringLiteral("本地图片文件");
inline const QString kWebTab = QStringLiteral("网络图片文件");
inline const QString kNotesTab = QStringLiteral("说明");
inline const QString kPictureLabel = QStringLiteral("图片文件");
inline const QString kRecognise = QStringLiteral("识别");
inline const QString kUrlHint = QStringLiteral("复制网络图片点击识别，如这里复制的是淘宝图片");

// An example product picture on a shopping site; the user replaces it with any address.
inline const QString kExampleUrl = QStringLiteral(
    "https://img.alicdn.com/imgextra/i4/2206686532409/O1CN01ZfQnVa1TfMoqd7E9D_!!2206686532409.jpg");

// Home page shown in the web tab's browser pane at start.
inline const QString kStartPage = QStringLiteral("http://www.taobao.com");

inline const QStringList kNotes = {
    QStringLiteral("本软件为免费软件。没有收费的打算会一直免费使用，"),
    QStringLiteral("但由于这是调用百度技术，百度有限额，所以只要不超越百度限额都是免费，"),
    QStringLiteral("如果您的调用量大可以自行申请API 我这边提供技术支持。"),
    QString(),
    QStringLiteral(
        "承接各类软件定制开发（联系方式：网站 quillory.org，邮箱 support@quillory.org）"),
    QStringLiteral("更多软件正在陆续推出，敬请关注，欢迎加入交流群：quillory.org/chat"),
};

// Description and pattern pairs of the picture file dialog, the first one selected.
inline const QString kOpenFilter =
    QStringLiteral("jpg文件|*.jpg|jpeg文件|*.jpeg|png文件|*.png|bmp文件|*.bmp");
inline const QString kDefaultSuffix = QStringLiteral("jpg");

inline const QString kHelpFileName = QStringLiteral("help.html");

// The four help lines in GBK, each ended by CR LF: 61, 38, 63 and 44 bytes plus line ends.
//   说明：图片文字识别软件，根据百度提供的API对图片上的文字识别，
//   本软件根据百度提供的免费次数免费使用，
//   如果您的调用量特别大的情况下可以自行申请API我这边提供技术支持。
//   使用方法：选择本地或者网络图片点击识别即可。
inline const QByteArray kHelpPage = QByteArrayLiteral(
    "\xcb\xb5\xc3\xf7\xa3\xba\xcd\xbc\xc6\xac\xce\xc4\xd7\xd6\xca\xb6\xb1\xf0\xc8\xed\xbc\xfe\xa3"
    "\xac\xb8\xf9\xbe\xdd\xb0\xd9\xb6\xc8\xcc\xe1\xb9\xa9\xb5\xc4\x41\x50\x49\xb6\xd4\xcd\xbc\xc6"
    "\xac\xc9\xcf\xb5\xc4\xce\xc4\xd7\xd6\xca\xb6\xb1\xf0\xa3\xac\r\n"
    "\xb1\xbe\xc8\xed\xbc\xfe\xb8\xf9\xbe\xdd\xb0\xd9\xb6\xc8\xcc\xe1\xb9\xa9\xb5\xc4\xc3\xe2\xb7"
    "\xd1\xb4\xce\xca\xfd\xc3\xe2\xb7\xd1\xca\xb9\xd3\xc3\xa3\xac\r\n"
    "\xc8\xe7\xb9\xfb\xc4\xfa\xb5\xc4\xb5\xf7\xd3\xc3\xc1\xbf\xcc\xd8\xb1\xf0\xb4\xf3\xb5\xc4\xc7"
    "\xe9\xbf\xf6\xcf\xc2\xbf\xc9\xd2\xd4\xd7\xd4\xd0\xd0\xc9\xea\xc7\xeb\x41\x50\x49\xce\xd2\xd5"
    "\xe2\xb1\xdf\xcc\xe1\xb9\xa9\xbc\xbc\xca\xf5\xd6\xa7\xb3\xd6\xa1\xa3\r\n"
    "\xca\xb9\xd3\xc3\xb7\xbd\xb7\xa8\xa3\xba\xd1\xa1\xd4\xf1\xb1\xbe\xb5\xd8\xbb\xf2\xd5\xdf\xcd"
    "\xf8\xc2\xe7\xcd\xbc\xc6\xac\xb5\xe3\xbb\xf7\xca\xb6\xb1\xf0\xbc\xb4\xbf\xc9\xa1\xa3\r\n");

// Status line.
inline const QString kBusy = QStringLiteral("正在识别…");
inline const QString kDone = QStringLiteral("识别完成");
inline const QString kFailed = QStringLiteral("识别失败：");
inline const QString kCancelled = QStringLiteral("识别已取消：");
inline const QString kNoPicture = QStringLiteral("没有可识别的图片：请先选择图片文件");
inline const QString kNothingFound = QStringLiteral("未识别到文字");
inline const QString kCancelledByUser = QStringLiteral("识别已取消");
inline const QString kCancel = QStringLiteral("取消");

inline const QString kDropRefused = QStringLiteral("无法放入：");
inline const QString kWebTabTakesAddresses = QStringLiteral("这里只能放入图片的网址");
inline const QString kDownloading = QStringLiteral("正在下载图片：");
inline const QString kDownloadFailed = QStringLiteral("图片下载失败：");

inline const QString kCaptureFailed = QStringLiteral("截图失败：");
inline const QString kCaptureCancelled = QStringLiteral("截图已取消");
// Drawn over the still of the screen while the user chooses a region.
inline const QString kCaptureHint = QStringLiteral("拖动鼠标选择区域，按 Esc 取消");

inline const QString kCopied = QStringLiteral("已复制 %1 行文字");
inline const QString kCopiedParagraphs = QStringLiteral("已复制 %1 段文字");
inline const QString kCopiedTable = QStringLiteral("已复制表格 %1 行");
inline const QString kNothingToCopy = QStringLiteral("没有可复制的文字");

// What the path field says for a picture that has no file.
inline const QString kPastedPicture = QStringLiteral("（粘贴的图片）");
inline const QString kDroppedPicture = QStringLiteral("（拖放的图片）");
inline const QString kCapturedPicture = QStringLiteral("（屏幕截图）");

// Menu entries beyond the controls' own.
inline const QString kCopyAll = QStringLiteral("复制全部文字");
inline const QString kShowBoxes = QStringLiteral("显示文字框");
inline const QString kShowParagraphs = QStringLiteral("按段落显示");
inline const QString kCopyAsTable = QStringLiteral("复制为表格");
inline const QString kToSimplified = QStringLiteral("转为简体");
inline const QString kToTraditional = QStringLiteral("转为繁体");
inline const QString kRecogniseCaptures = QStringLiteral("截图后立即识别");
inline const QString kRecogniseDrops = QStringLiteral("拖放或粘贴图片后立即识别");

}  // namespace quillory::texts
