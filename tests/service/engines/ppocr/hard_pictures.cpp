#include "hard_pictures.h"

#include "rendered_pictures.h"

#include <string>

namespace quillory::testing {
namespace {

const std::string kSans = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";
const std::string kSansBold = "/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc";

using Args = std::vector<std::string>;

// Lines of text drawn `gap` apart on a page, followed by `after`.
Args Page(const std::string& size, const std::string& background, const std::string& colour,
          int pointsize, int gap, const std::vector<std::string>& lines, const Args& after = {}) {
    Args args = {
        "-size", size,  background, "-font", kSans, "-pointsize", std::to_string(pointsize),
        "-fill", colour};
    int y = gap;
    for (const auto& line : lines) {
        args.insert(
            args.end(),
            {"-annotate", "+" + std::to_string(pointsize / 2 + 4) + "+" + std::to_string(y), line});
        y += gap;
    }
    args.insert(args.end(), after.begin(), after.end());
    return args;
}

const std::vector<std::string> kNotice = {"会员积分兑换活动即将开始", "请于本月底前登录账户领取",
                                          "详情咨询客服 400-820-8820"};

Args Turned(const std::string& how) {
    return Page("760x250", "xc:white", "#202020", 34, 70, kNotice,
                {"-background", "white", "-rotate", how});
}

// Three columns of characters, each drawn top to bottom, placed right to left.
Args Columns(const std::vector<std::string>& columns, const std::string& font = kSans,
             const std::string& spacing = "-14") {
    Args args = {"-size", "300x420", "xc:#fbf7ee",         "-font", font, "-pointsize", "40",
                 "-fill", "#1a1a1a", "-interline-spacing", spacing};
    int x = 300 - 80;
    for (const auto& column : columns) {
        std::string stacked;
        for (std::size_t i = 0; i < column.size();) {
            const std::size_t n = (static_cast<unsigned char>(column[i]) >= 0xE0) ? 3 : 1;
            if (!stacked.empty())
                stacked += '\n';
            stacked += column.substr(i, n);
            i += n;
        }
        args.insert(args.end(), {"-annotate", "+" + std::to_string(x) + "+60", stacked});
        x -= 90;
    }
    return args;
}

// A grid of ruled cells with one text each.
Args Table(const std::vector<std::vector<std::string>>& rows) {
    Args args = {"-size", "640x250", "xc:white", "-stroke", "#555555", "-strokewidth", "2"};
    for (int y = 10; y <= 250; y += 58)
        args.insert(args.end(),
                    {"-draw", "line 10," + std::to_string(y) + " 630," + std::to_string(y)});
    for (int x : {10, 230, 430, 630})
        args.insert(args.end(),
                    {"-draw", "line " + std::to_string(x) + ",10 " + std::to_string(x) + ",184"});
    args.insert(args.end(),
                {"-stroke", "none", "-font", kSans, "-pointsize", "24", "-fill", "#111111"});
    int y = 50;
    for (const auto& row : rows) {
        int x = 24;
        for (const auto& cell : row) {
            args.insert(args.end(),
                        {"-annotate", "+" + std::to_string(x) + "+" + std::to_string(y), cell});
            x += x == 24 ? 220 : 200;
        }
        y += 58;
    }
    return args;
}

}  // namespace

std::vector<RenderedPicture> RenderHardSet() {
    std::vector<RenderedPicture> set;
    auto add = [&](const std::string& kind, const std::vector<std::string>& truth, const Args& args,
                   const std::string& format = "png") {
        set.push_back({kind, truth, RenderPicture(args, format)});
    };
    const std::string thin = "订单 20261208 已发货，预计明天送达 Your order has shipped today";
    add("thin-line", {thin}, Page("1500x54", "xc:#f4f5f7", "#222222", 26, 37, {thin}));
    // Large text in a strip more than twice its height: read whole, the strip's blank
    // rows would shrink the text below what the network reads.
    const std::string roomy = "Please bring the Q3 report 请带上季度报告";
    add("roomy-strip", {roomy}, Page("760x80", "xc:white", "#333333", 32, 52, {roomy}));
    const std::string tight = "Invoice No. 4471 总计 ¥1,286.40 元";
    add("tight-crop", {tight},
        Page("900x80", "xc:white", "black", 24, 50, {tight}, {"-trim", "+repage"}));
    add("turned-90", kNotice, Turned("90"));
    add("turned-180", kNotice, Turned("180"));
    add("turned-270", kNotice, Turned("270"));
    // A short line set to the right above long ones: turned, its box's top falls below
    // theirs.
    const std::vector<std::string> skewed = {"春季上新 全场包邮", "第二件半价 限时三天 先到先得",
                                             "Spring sale ends this Sunday night"};
    const Args skewed_page = {"-size",      "760x230", "xc:white",  "-font",   kSans,
                              "-pointsize", "34",      "-fill",     "#1c1c1c", "-annotate",
                              "+400+60",    skewed[0], "-annotate", "+20+125", skewed[1],
                              "-annotate",  "+20+190", skewed[2]};
    auto turned = [&](const std::string& degrees) {
        Args args = skewed_page;
        args.insert(args.end(), {"-background", "white", "-rotate", degrees});
        return args;
    };
    add("skew-7", skewed, turned("7"));
    add("skew-12", skewed, turned("-12"));
    const std::vector<std::string> sign = {"出口 EXIT", "请保持通道畅通"};
    add("perspective", sign,
        Page("640x220", "xc:#e9eef3", "#0b3d91", 52, 90, sign,
             {"-virtual-pixel", "background", "-background", "#e9eef3", "-distort", "Perspective",
              "0,0 40,20  640,0 600,0  640,220 640,220  0,220 0,200"}));
    const std::vector<std::string> columns = {"床前明月光", "疑是地上霜", "举头望明月"};
    add("vertical", columns, Columns(columns));
    // Set in a serif face, the detector finds each column in pieces, some a character alone.
    add("vertical-serif", columns,
        Columns(columns, "/usr/share/fonts/opentype/noto/NotoSerifCJK-Regular.ttc", "0"));
    // Characters set apart down the column: the detector finds them one by one or as rows.
    add("vertical-spaced", columns, Columns(columns, kSans, "14"));
    const std::vector<std::string> paragraph = {"本产品适用于家庭及办公环境，请勿在潮湿处使用。",
                                                "使用前请仔细阅读说明书，并妥善保管。",
                                                "如有质量问题，请在七日内凭购物凭证办理退换。",
                                                "Keep away from children and open flames.",
                                                "客服热线 400-123-4567 工作日 9:00-18:00",
                                                "本说明书的最终解释权归本公司所有。"};
    add("dense-paragraph", paragraph, Page("560x150", "xc:white", "#333333", 15, 22, paragraph));
    const std::vector<std::string> badge = {"夜间模式已开启", "Night mode on"};
    add("white-on-transparent", badge, Page("520x140", "xc:none", "white", 36, 55, badge));
    add("black-on-transparent", badge, Page("520x140", "xc:none", "black", 36, 55, badge));
    const std::vector<std::string> coupon = {"满199减30 优惠券", "有效期至 2027年1月31日"};
    add("jpeg-quality-8", coupon,
        Page("620x170", "gradient:#fff0d8-#ffd0a0", "#802000", 40, 65, coupon, {"-quality", "8"}),
        "jpg");
    const std::vector<std::vector<std::string>> rows = {{"商品名称", "数量", "金额"},
                                                        {"红富士苹果", "3 斤", "¥15.60"},
                                                        {"进口香蕉", "12 根", "¥9.80"},
                                                        {"有机牛奶 1L", "2 盒", "¥25.00"}};
    std::vector<std::string> cells;
    for (const auto& row : rows)
        cells.insert(cells.end(), row.begin(), row.end());
    add("table", cells, Table(rows));
    const std::vector<std::string> receipt = {
        "便利店 购物小票", "2026-12-08 19:42", "矿泉水 x2  ¥4.00", "面包 x1  ¥6.50",
        "酸奶 x3  ¥13.50", "合计  ¥24.00",     "微信支付  ¥24.00", "谢谢惠顾 欢迎再来"};
    add("receipt", receipt, Page("360x420", "xc:white", "#2b2b2b", 22, 48, receipt));
    add("poster-small-print", {"限量抢购", "日常价 ¥299", "到手价 ¥159"},
        {"-size",     "760x240",    "gradient:#ffe259-#ffa751",
         "-font",     kSansBold,    "-fill",
         "#c0001a",   "-pointsize", "72",
         "-annotate", "+30+100",    "限量抢购",
         "-font",     kSans,        "-pointsize",
         "18",        "-fill",      "#5a3a00",
         "-annotate", "+360+100",   "日常价 ¥299",
         "-font",     kSansBold,    "-pointsize",
         "54",        "-fill",      "#c0001a",
         "-annotate", "+30+200",    "到手价 ¥159"});
    return set;
}

}  // namespace quillory::testing
