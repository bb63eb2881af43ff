#include "service/engines/ppocr/seal_removal.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace ocrgated::ppocr {
namespace {

// Seal ink: red or blue well above the other channels, and not so dark that it could be
// black text under the seal.
cv::Mat InkMask(const cv::Mat& bgr) {
    std::vector<cv::Mat> channels;
    cv::split(bgr, channels);
    cv::Mat b, g, r;
    channels[0].convertTo(b, CV_16S);
    channels[1].convertTo(g, CV_16S);
    channels[2].convertTo(r, CV_16S);
    const cv::Mat red = (r - g > 60) & (r - b > 40) & (r > 120);
    const cv::Mat blue = (b - r > 60) & (b - g > 30) & (b > 120);
    return red | blue;
}

// How much of the rim of `ellipse` the mask covers, sampled around it.
double RimCover(const cv::Mat& mask, const cv::RotatedRect& ellipse) {
    constexpr int kSamples = 180;
    int covered = 0;
    const double angle = ellipse.angle * CV_PI / 180;
    for (int k = 0; k < kSamples; ++k) {
        const double t = 2 * CV_PI * k / kSamples;
        bool hit = false;
        // The rim has a width: look a little inside and outside the fitted line.
        for (const double shrink : {0.90, 0.95, 1.0, 1.04}) {
            const double x = ellipse.size.width / 2 * shrink * std::cos(t);
            const double y = ellipse.size.height / 2 * shrink * std::sin(t);
            const cv::Point p(cvRound(ellipse.center.x + x * std::cos(angle) - y * std::sin(angle)),
                              cvRound(ellipse.center.y + x * std::sin(angle) + y * std::cos(angle)));
            if (p.x >= 0 && p.y >= 0 && p.x < mask.cols && p.y < mask.rows &&
                mask.at<std::uint8_t>(p) != 0)
                hit = true;
        }
        covered += hit;
    }
    return double(covered) / kSamples;
}

// The share of the outline's points that lie near the ellipse: a seal's ring follows it all
// round, a box drawn around a line leaves it at every corner.
double OutlineFit(const std::vector<cv::Point>& outline, const cv::RotatedRect& ellipse) {
    const double angle = ellipse.angle * CV_PI / 180;
    const double a = std::max(1.f, ellipse.size.width / 2), b = std::max(1.f, ellipse.size.height / 2);
    std::size_t near = 0;
    for (const cv::Point& p : outline) {
        const double dx = p.x - ellipse.center.x, dy = p.y - ellipse.center.y;
        const double u = dx * std::cos(angle) + dy * std::sin(angle);
        const double v = -dx * std::sin(angle) + dy * std::cos(angle);
        near += std::abs(std::hypot(u / a, v / b) - 1) < 0.1;
    }
    return outline.empty() ? 0 : double(near) / double(outline.size());
}

}  // namespace

std::vector<cv::Rect> FindSeals(const cv::Mat& bgr, const SealOptions& options) {
    if (bgr.empty() || bgr.channels() != 3)
        return {};
    cv::Mat mask = InkMask(bgr);
    if (cv::countNonZero(mask) == 0)
        return {};
    // The ring's breaks (where black text crosses it) closed, so that it is one outline.
    cv::Mat closed;
    cv::morphologyEx(mask, closed, cv::MORPH_CLOSE,
                     cv::getStructuringElement(cv::MORPH_ELLIPSE, {9, 9}));
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(closed, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE);
    const double largest = options.max_share * std::min(bgr.cols, bgr.rows);
    std::vector<cv::Rect> seals;
    for (const auto& contour : contours) {
        if (contour.size() < 5)
            continue;
        const cv::Rect around = cv::boundingRect(contour);
        if (std::min(around.width, around.height) < options.min_side ||
            std::max(around.width, around.height) > largest)
            continue;
        const cv::RotatedRect ellipse = cv::fitEllipse(contour);
        const double longest = std::max(ellipse.size.width, ellipse.size.height);
        const double shortest = std::max(1.f, std::min(ellipse.size.width, ellipse.size.height));
        if (longest / shortest > options.max_aspect)
            continue;
        if (RimCover(mask, ellipse) < options.min_ring ||
            OutlineFit(contour, ellipse) < options.min_outline_fit)
            continue;
        seals.push_back(around);
    }
    return seals;
}

cv::Mat WithoutSeals(const cv::Mat& bgr, const SealOptions& options) {
    const std::vector<cv::Rect> seals = FindSeals(bgr, options);
    if (seals.empty())
        return bgr;
    cv::Mat page = bgr.clone();
    const cv::Mat ink = InkMask(bgr);
    // The paper: the mean colour of the page's light pixels.
    cv::Mat grey;
    cv::cvtColor(bgr, grey, cv::COLOR_BGR2GRAY);
    const cv::Scalar paper = cv::mean(bgr, grey > 200);
    for (const cv::Rect& seal : seals) {
        // A little beyond the outline, where the ring's blur still tints the paper.
        const cv::Rect grown =
            (seal + cv::Size(8, 8) - cv::Point(4, 4)) & cv::Rect(0, 0, bgr.cols, bgr.rows);
        cv::Mat lifted;
        cv::dilate(ink(grown), lifted, cv::getStructuringElement(cv::MORPH_ELLIPSE, {3, 3}));
        // Keep what is dark in every channel: the print under the seal.
        std::vector<cv::Mat> channels;
        cv::split(bgr(grown), channels);
        cv::Mat brightest = cv::max(cv::max(channels[0], channels[1]), channels[2]);
        lifted &= brightest > 110;
        page(grown).setTo(paper, lifted);
    }
    return page;
}

}  // namespace ocrgated::ppocr
