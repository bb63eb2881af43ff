#include "layout_pages.h"

#include "rendered_pictures.h"

namespace quillory::testing {
namespace {

const std::string kSans = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";

struct Text {
    int x, y;
    std::string words;
};

using Args = std::vector<std::string>;

Args Drawn(const std::string& size, int pointsize, const std::vector<Text>& texts,
           const Args& before = {}) {
    Args args = {"-size", size, "xc:white"};
    args.insert(args.end(), before.begin(), before.end());
    args.insert(args.end(), {"-font", kSans, "-pointsize", std::to_string(pointsize), "-fill",
                             "black"});
    for (const Text& text : texts)
        args.insert(args.end(),
                    {"-annotate", "+" + std::to_string(text.x) + "+" + std::to_string(text.y),
                     text.words});
    return args;
}

// Characters one under the other.
std::string Stacked(const std::string& column) {
    std::string stacked;
    for (std::size_t i = 0; i < column.size(); i += 3)
        stacked += (stacked.empty() ? "" : "\n") + column.substr(i, 3);
    return stacked;
}

// Lines set `pitch` apart from (x, y) down.
std::vector<Text> Column(int x, int y, int pitch, const std::vector<std::string>& lines) {
    std::vector<Text> texts;
    for (const std::string& line : lines) {
        texts.push_back({x, y, line});
        y += pitch;
    }
    return texts;
}

std::vector<Text> operator+(std::vector<Text> a, const std::vector<Text>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

std::vector<LayoutPage> RenderLayoutSet() {
    std::vector<LayoutPage> set;
    const auto add = [&](const std::string& kind, const std::vector<std::string>& lines,
                         std::size_t paragraphs, const Args& args) {
        set.push_back({kind, lines, paragraphs, RenderPng(args)});
    };

    const std::vector<std::string> left = {"左栏第一行文字内容", "左栏第二行文字内容",
                                           "左栏第三行文字内容", "左栏第四行到此为止"};
    const std::vector<std::string> right = {"右栏第一行文字内容", "右栏第二行文字内容",
                                            "右栏第三行文字内容", "右栏第四行到此为止"};
    add("two-columns", left + right, 2,
        Drawn("1000x330", 30, Column(20, 60, 50, left) + Column(540, 60, 50, right)));

    const std::vector<std::string> a = {"第一栏讲的是春天", "花开满了整个山坡", "到处都是鸟叫声",
                                        "孩子们在草地上跑"};
    const std::vector<std::string> b = {"第二栏讲的是夏天", "雨水落在池塘里面", "荷叶也长得很高",
                                        "青蛙整夜叫个不停"};
    const std::vector<std::string> c = {"第三栏讲的是秋天", "树叶一片片变黄了", "田里的稻子熟了"};
    add("three-columns", a + b + c, 3,
        Drawn("1000x290", 28,
              Column(20, 60, 50, a) + Column(350, 60, 50, b) + Column(680, 60, 50, c)));

    const std::vector<std::string> l = {"The left column opens", "and goes on for a while",
                                        "before it comes to an end"};
    const std::vector<std::string> r = {"The right column opens", "and goes on in turn",
                                        "until it too comes to an end"};
    add("title-columns-footer", std::vector<std::string>{"季度报告总览"} + l + r + std::vector<std::string>{"第 3 页"}, 4,
        Drawn("1000x420", 30,
              Column(300, 60, 0, {"季度报告总览"}) + Column(20, 140, 50, l) +
                  Column(540, 140, 50, r) + Column(420, 380, 0, {"第 3 页"})));

    // Only the rule sets the sidebar apart: two lines beside the main text's are too few
    // to make a column of their own.
    const std::vector<std::string> main = {
        "正文从较宽的一栏往下写，每一行都写满", "一直写到分隔线的跟前为止，然后另起一行",
        "继续写下去，读者先读完这一栏的全部内容", "再去看右边那一小栏用线隔开的旁注文字，",
        "这一段正文就到这里结束了。"};
    const std::vector<std::string> side = {"旁注只有两行", "到此为止"};
    add("sidebar-rule", main + side, 2,
        Drawn("740x280", 26, Column(20, 44, 46, main) + Column(542, 44, 46, side),
              {"-stroke", "black", "-strokewidth", "2", "-draw", "line 531,12 531,260",
               "-stroke", "none"}));

    // Characters set well apart down each column, columns read right to left.
    const std::vector<std::string> poem = {"白日依山尽", "黄河入海流", "欲穷千里目"};
    Args poem_args = {"-size", "420x460", "xc:#fbf7ee", "-font", kSans, "-pointsize", "40",
                      "-fill", "#1a1a1a", "-interline-spacing", "12"};
    for (int k = 0; k < 3; ++k)
        poem_args.insert(poem_args.end(), {"-annotate", "+" + std::to_string(300 - 120 * k) + "+60",
                                           Stacked(poem[std::size_t(k)])});
    add("poem-spaced", poem, 1, poem_args);

    const std::vector<std::string> verse = {"床前明月光", "疑是地上霜", "举头望明月"};
    Args mixed = Drawn("420x520", 40, Column(140, 60, 0, {"静夜思"}), {"-fill", "#1a1a1a"});
    mixed.insert(mixed.end(), {"-interline-spacing", "-14"});
    for (int k = 0; k < 3; ++k)
        mixed.insert(mixed.end(), {"-annotate", "+" + std::to_string(300 - 100 * k) + "+130",
                                   Stacked(verse[std::size_t(k)])});
    add("mixed-title-over-vertical", std::vector<std::string>{"静夜思"} + verse, 2, mixed);

    // Ragged lines, a short last line, an indented paragraph, a signature to the right:
    // read as it always was.
    const std::vector<std::string> plain = {"本产品适用于家庭及办公环境，请勿在潮湿处",
                                            "使用，并远离儿童和明火。",
                                            "Keep the manual for later reference and",
                                            "call our service centre on working days.",
                                            "客服中心 2026年12月"};
    add("single-column", plain, 3,
        Drawn("760x300", 26,
              Column(20, 50, 46, {plain[0], plain[1]}) +
                  Column(20, 142, 46, {plain[2], plain[3]}) + Column(480, 260, 0, {plain[4]})));
    return set;
}

}  // namespace quillory::testing

namespace quillory::testing {

LayoutPage RenderDensePage() {
    static const char* const kWords[] = {
        "river",  "market", "winter", "garden", "letter",  "window", "silver", "number",
        "simple", "yellow", "forest", "travel", "bridge",  "corner", "button", "little",
        "orange", "planet", "summer", "engine", "harbour", "pocket", "candle", "mirror",
        "signal", "timber", "valley", "ticket", "salmon",  "copper", "basket", "shadow"};
    unsigned seed = 7;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % 32;
    };
    LayoutPage page{"dense-5250x6280", {}, 3, {}};
    std::vector<Text> texts;
    for (int column = 0; column < 3; ++column)
        for (int row = 0; row < 30; ++row) {
            std::string line;
            while (line.size() < 72)
                line += (line.empty() ? "" : " ") + std::string(kWords[next()]);
            page.lines.push_back(line);
            texts.push_back({150 + 1700 * column, 250 + 110 * row, line});
        }
    page.png = RenderPng(Drawn("5250x6280", 34, texts));
    return page;
}

}  // namespace quillory::testing
