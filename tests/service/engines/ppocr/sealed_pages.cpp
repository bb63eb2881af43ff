#include "sealed_pages.h"

#include "rendered_pictures.h"

namespace quillory::testing {
namespace {

const std::string kSans = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";
const std::string kSerif = "/usr/share/fonts/opentype/noto/NotoSerifCJK-Regular.ttc";

struct Seal {
    int x, y;        // centre
    int rx, ry;      // radii
    std::string ink;
};

// One seal as ImageMagick draws it on a white layer: its ring, its star and its name.
std::vector<std::string> Stamp(const Seal& seal) {
    const std::string x = std::to_string(seal.x), y = std::to_string(seal.y);
    const int r = std::min(seal.rx, seal.ry) / 4;
    const auto point = [&](int dx, int dy) {
        return std::to_string(seal.x + dx) + "," + std::to_string(seal.y + dy) + " ";
    };
    std::string star = "polygon ";
    for (const auto& [dx, dy] : {std::pair{0, -r}, {r / 4, -r / 3}, {r, -r / 3}, {r / 3, r / 6},
                                 {r * 2 / 3, r}, {0, r / 2}, {-r * 2 / 3, r}, {-r / 3, r / 6},
                                 {-r, -r / 3}, {-r / 4, -r / 3}})
        star += point(dx, dy);
    const std::string ring = "ellipse " + x + "," + y + " " + std::to_string(seal.rx) + "," +
                             std::to_string(seal.ry) + " 0,360";
    const std::string name_at = "+" + std::to_string(seal.x - seal.ry * 3 / 5) + "+" +
                                std::to_string(seal.y + seal.ry / 3);
    return {"-fill", "none", "-stroke", seal.ink, "-strokewidth", "5", "-draw", ring,
            "-fill", seal.ink, "-stroke", "none", "-draw", star, "-font", kSans, "-pointsize",
            std::to_string(seal.ry / 5), "-gravity", "NorthWest", "-annotate", name_at,
            "合同专用章"};
}

SealedPage Page(const std::string& kind, const std::string& size,
                const std::vector<std::pair<int, std::string>>& lines,
                const std::vector<std::string>& heading, const std::vector<Seal>& seals) {
    SealedPage page{kind, {}, seals.size(), {}, {}};
    std::vector<std::string> text{"-size", size, "xc:white"};
    text.insert(text.end(), heading.begin(), heading.end());
    text.insert(text.end(), {"-fill", "black", "-font", kSerif, "-pointsize", "30"});
    for (const auto& [y, line] : lines) {
        text.insert(text.end(), {"-annotate", "+50+" + std::to_string(y), line});
        page.lines.push_back(line);
    }
    page.clean = RenderPng(text);
    // Ink over print: the seals on a layer of their own, multiplied into the page.
    std::vector<std::string> stamped = text;
    stamped.insert(stamped.end(), {"(", "-size", size, "xc:white"});
    for (const Seal& seal : seals) {
        const auto drawn = Stamp(seal);
        stamped.insert(stamped.end(), drawn.begin(), drawn.end());
    }
    stamped.insert(stamped.end(), {")", "-compose", "Multiply", "-composite"});
    page.sealed = RenderPng(stamped);
    return page;
}

}  // namespace

std::vector<SealedPage> RenderSealedSet() {
    const std::vector<std::pair<int, std::string>> contract{
        {90, "甲方应于合同签订之日起十日内支付首期款项，"},
        {140, "乙方收到款项后开具正式发票并安排发货。"},
        {260, "货物验收合格后，甲方支付剩余全部款项，"},
        {310, "逾期付款的，每日按未付金额的万分之五计付违约金。"},
        {430, "本合同一式两份，双方各执一份，自签字盖章之日起生效。"},
        {480, "未尽事宜由双方协商解决。"},
    };
    std::vector<SealedPage> set;
    set.push_back(Page("a red seal over each paragraph", "1000x560", contract, {},
                       {{620, 110, 95, 95, "#d42a2a"},
                        {300, 290, 95, 95, "#c81e32"},
                        {700, 450, 95, 95, "#e03030"}}));
    set.push_back(Page("an oval blue seal", "1000x560", contract, {},
                       {{520, 300, 130, 85, "#2a3ccc"}}));
    // Red print that is no seal: a heading, and a box drawn on the page.
    set.push_back(Page("a red heading, no seal", "1000x560",
                       {{180, "甲方应于合同签订之日起十日内支付首期款项，"},
                        {230, "乙方收到款项后开具正式发票并安排发货。"}},
                       {"-fill", "#d42a2a", "-font", kSans, "-pointsize", "40", "-annotate",
                        "+50+90", "关于开展年度安全检查工作的通知", "-fill", "none", "-stroke",
                        "#d42a2a", "-strokewidth", "4", "-draw", "rectangle 700,140 790,220"},
                       {}));
    set.back().lines.insert(set.back().lines.begin(), "关于开展年度安全检查工作的通知");
    return set;
}

}  // namespace quillory::testing
