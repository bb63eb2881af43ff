// The result display: how a reply of any shape becomes the lines of a memo.

#include <QApplication>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QtTest>

#include "app/ResultDisplay.h"

namespace {

// The reply as the window reads it, shown.
void Show(const QString& text, QPlainTextEdit* memo) {
    quillory::ShowResult(text, reply::ReadReply(text.toStdU16String()), memo);
}

}  // namespace

class ResultDisplayTest : public QObject {
    Q_OBJECT
  private slots:
    void fillsTheMemo_data();
    void fillsTheMemo();
    void keepsFullUnicode();
};

void ResultDisplayTest::fillsTheMemo_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("memo");

    QTest::newRow("two lines") << QStringLiteral(
                                      R"({"words_result":[{"words":"A"},{"words":"B"}]})")
                               << QStringLiteral("A\n\nB\n");
    QTest::newRow("empty array") << QStringLiteral(R"({"words_result":[]})") << QString();
    QTest::newRow("top value an array") << QStringLiteral(R"([{"words":"A"}])") << QString();
    QTest::newRow("top value a string") << QStringLiteral(R"("words_result")") << QString();
    QTest::newRow("no words_result") << QStringLiteral(R"({"words":"A","log_id":7})") << QString();
    QTest::newRow("words_result an object")
        << QStringLiteral(R"({"words_result":{"words":"A"}})") << QString();
    QTest::newRow("unreadable") << QStringLiteral(R"({"words_result":[)") << QString();
    QTest::newRow("empty reply") << QString() << QString();
    // Each element that is no object, or has no "words", gives an empty line and its gap.
    QTest::newRow("non-object elements")
        << QStringLiteral(R"({"words_result":[null,"s",3,false,[],{"other":1}]})")
        << QString(11, u'\n');
    QTest::newRow("words not a string")
        << QStringLiteral(R"({"words_result":[{"words":true},{"words":2.50},{"words":null}]})")
        << QStringLiteral("true\n\n2.5\n\nnull\n");
    QTest::newRow("other members ignored")
        << QStringLiteral(
               R"({"log_id":1,"words_result_num":1,"words_result":[{"location":{},"words":"第一行"}]})")
        << QStringLiteral("第一行\n");
    // Codes follow the lines, one entry each, their text on one line.
    QTest::newRow("codes after the lines")
        << QStringLiteral(R"({"words_result":[{"words":"A"}],"codes_result":[{"type":"QR_CODE",)"
                          R"("text":["q.org/1","第二行"]},{"type":"EAN_13","text":["123"]}]})")
        << QStringLiteral("A\n\n[QR_CODE] q.org/1 第二行\n\n[EAN_13] 123\n");
    QTest::newRow("codes alone")
        << QStringLiteral(R"({"codes_result":[{"type":"CODE_128","text":["X-1"]}]})")
        << QStringLiteral("[CODE_128] X-1\n");
    // The reader's one error: the memo shows the reply as it came.
    const QString overflow = QStringLiteral(R"({"words_result":[{"words":"A"}],"x":1e999})");
    QTest::newRow("number beyond a double") << overflow << overflow;
}

void ResultDisplayTest::fillsTheMemo() {
    QFETCH(QString, reply);
    QFETCH(QString, memo);
    QPlainTextEdit target;
    target.setPlainText(QStringLiteral("earlier lines\nstay only on failure"));
    Show(reply, &target);
    QCOMPARE(target.toPlainText(), memo);
}

void ResultDisplayTest::keepsFullUnicode() {
    // Outside any 8-bit code page: emoji (a surrogate pair), Latin with accents, Korean.
    const QString line = QStringLiteral("识别 Ünïcödé 😀 한국어");
    QPlainTextEdit target;
    Show(QStringLiteral(R"({"words_result":[{"words":"%1"}]})").arg(line), &target);
    QCOMPARE(target.document()->blockCount(), 2);
    QCOMPARE(target.document()->firstBlock().text(), line);
}

QTEST_MAIN(ResultDisplayTest)
#include "tst_result_display.moc"
