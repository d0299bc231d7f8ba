// Colour reduction: an optimised palette for a graphic's pixels. True-colour sources are cut into
// boxes of a 5-6-5 colour histogram (median cut); paletted sources go through an octree fed with
// their palette colours weighted by how many pixels use them. Only the palette is computed here;
// StretchFrom maps the pixels afterwards.
#include "imaging/pixel_graphic.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

// ---- Median cut ---------------------------------------------------------------------------

constexpr int HistogramCells = 32 * 64 * 32;
constexpr int MaxBoxes = 256;

inline int cellIndex(int r, int g, int b) { return r * 2048 + g * 32 + b; }

struct ColorBox {
    int rmin = 0, rmax = 31, gmin = 0, gmax = 63, bmin = 0, bmax = 31;
    int Volume = 0;
    int CellCount = 0;
};

class ColorHistogram {
public:
    ColorHistogram() : counts_(HistogramCells, 0) {}

    void count(uint8_t red, uint8_t green, uint8_t blue) {
        uint16_t& c = counts_[size_t(cellIndex(red >> 3, green >> 2, blue >> 3))];
        if (c != 0xFFFF) ++c;  // saturating: the palette only needs relative weights
    }
    uint16_t at(int r, int g, int b) const { return counts_[size_t(cellIndex(r, g, b))]; }

    // Shrinks the box to the layers that hold counted colours, blue first, then green, then red.
    void shrink(ColorBox& box) const {
        auto blueLayerUsed = [&](int b) {
            for (int r = box.rmin; r <= box.rmax; ++r)
                for (int g = box.gmin; g <= box.gmax; ++g)
                    if (at(r, g, b)) return true;
            return false;
        };
        auto greenLayerUsed = [&](int g) {
            for (int r = box.rmin; r <= box.rmax; ++r)
                for (int b = box.bmin; b <= box.bmax; ++b)
                    if (at(r, g, b)) return true;
            return false;
        };
        auto redLayerUsed = [&](int r) {
            for (int g = box.gmin; g <= box.gmax; ++g)
                for (int b = box.bmin; b <= box.bmax; ++b)
                    if (at(r, g, b)) return true;
            return false;
        };
        shrinkRange(box.bmin, box.bmax, blueLayerUsed);
        shrinkRange(box.gmin, box.gmax, greenLayerUsed);
        shrinkRange(box.rmin, box.rmax, redLayerUsed);
        const int dr = (box.rmax - box.rmin) * 16, dg = (box.gmax - box.gmin) * 12, db = (box.bmax - box.bmin) * 16;
        box.Volume = db * db + dg * dg + dr * dr;
        box.CellCount = (box.rmax - box.rmin + 1) * (box.gmax - box.gmin + 1) * (box.bmax - box.bmin + 1);
    }

    // The count-weighted centre of the box's cells; black for a box without counted colours.
    TColor average(const ColorBox& box) const {
        int64_t n = 0, sr = 0, sg = 0, sb = 0;
        for (int r = box.rmin; r <= box.rmax; ++r)
            for (int g = box.gmin; g <= box.gmax; ++g)
                for (int b = box.bmin; b <= box.bmax; ++b) {
                    const int64_t c = at(r, g, b);
                    n += c;
                    sr += (8 * r + 4) * c;
                    sg += (4 * g + 2) * c;
                    sb += (8 * b + 4) * c;
                }
        if (n == 0) return 0;
        return pgRGB(uint8_t((sr + n / 2) / n), uint8_t((sg + n / 2) / n), uint8_t((sb + n / 2) / n));
    }

private:
    template <typename Used>
    static void shrinkRange(int& lo, int& hi, Used used) {
        while (lo < hi && !used(lo)) ++lo;
        while (hi > lo && !used(hi)) --hi;
    }

    std::vector<uint16_t> counts_;
};

// The box to split next, or -1. Boxes of one cell (Volume 0) cannot be split: splitting one would
// give an empty box whose colour divides by a pixel count of 0.
int chooseBox(const std::vector<ColorBox>& boxes, int target) {
    const bool byCells = 2 * int(boxes.size()) <= target;
    int best = -1;
    for (int i = 0; i < int(boxes.size()); ++i) {
        const ColorBox& box = boxes[size_t(i)];
        if (box.Volume <= 0) continue;
        if (best < 0) {
            best = i;
            continue;
        }
        const ColorBox& chosen = boxes[size_t(best)];
        if (byCells ? box.CellCount > chosen.CellCount : box.Volume > chosen.Volume) best = i;
    }
    return best;
}

ColorBox splitBox(ColorBox& box) {
    const int red = (box.rmax - box.rmin) * 16, green = (box.gmax - box.gmin) * 12, blue = (box.bmax - box.bmin) * 16;
    ColorBox upper = box;
    const bool redAxis = red > green;
    if (blue > std::max(red, green)) {
        const int middle = (box.bmin + box.bmax) / 2;
        box.bmax = middle;
        upper.bmin = middle + 1;
    } else if (redAxis) {
        const int middle = (box.rmin + box.rmax) / 2;
        box.rmax = middle;
        upper.rmin = middle + 1;
    } else {
        const int middle = (box.gmin + box.gmax) / 2;
        box.gmax = middle;
        upper.gmin = middle + 1;
    }
    return upper;
}

// ---- Octree -------------------------------------------------------------------------------

// Nodes live in one pool and refer to each other by index, so freeing a subtree never leaves a
// reducible list pointing at freed memory.
class Octree {
public:
    explicit Octree(int maxLeaves) : maxLeaves_(maxLeaves) {
        heads_.fill(None);
        root_ = newNode(0);
    }

    void insert(TColor colour, int64_t count) {
        const int rgb[3] = {pgRed(colour), pgGreen(colour), pgBlue(colour)};
        int n = root_;
        for (;;) {
            Node& node = nodes_[size_t(n)];
            node.PixelCount += count;
            node.RedSum += count * rgb[0];
            node.GreenSum += count * rgb[1];
            node.BlueSum += count * rgb[2];
            if (node.IsLeaf || node.Level >= leafLevel_) break;
            const int shift = 7 - node.Level;
            const int k = ((rgb[0] >> shift) & 1) * 4 + ((rgb[1] >> shift) & 1) * 2 + ((rgb[2] >> shift) & 1);
            int child = node.Children[k];
            if (child == None) {
                child = newNode(node.Level + 1);  // may move the pool: look the node up again
                Node& parent = nodes_[size_t(n)];
                parent.Children[k] = child;
                // A node that branches can be reduced, whether its children came new or not.
                if (++parent.ChildCount >= 2) listNode(n);
            } else if (node.ChildCount > 1) {
                listNode(n);
            }
            n = child;
        }
        while (leafCount_ > maxLeaves_ && reduceOnce()) {
        }
    }

    std::vector<TColor> palette() const {
        std::vector<TColor> colours;
        collect(root_, colours);
        return colours;
    }

private:
    static constexpr int None = -1;
    struct Node {
        int Level = 0;
        bool IsLeaf = false;
        bool InReducibleList = false;
        int64_t PixelCount = 0, RedSum = 0, GreenSum = 0, BlueSum = 0;
        int ChildCount = 0;
        std::array<int, 8> Children{None, None, None, None, None, None, None, None};
        int Next = None, Previous = None;
    };

    int newNode(int level) {
        Node node;
        node.Level = level;
        node.IsLeaf = level >= leafLevel_;
        if (node.IsLeaf) ++leafCount_;
        int index;
        if (!free_.empty()) {
            index = free_.back();
            free_.pop_back();
            nodes_[size_t(index)] = node;
        } else {
            index = int(nodes_.size());
            nodes_.push_back(node);
        }
        return index;
    }

    void listNode(int n) {
        Node& node = nodes_[size_t(n)];
        if (node.InReducibleList) return;
        node.InReducibleList = true;
        node.Previous = None;
        node.Next = heads_[size_t(node.Level)];
        if (node.Next != None) nodes_[size_t(node.Next)].Previous = n;
        heads_[size_t(node.Level)] = n;
    }

    void unlistNode(int n) {
        Node& node = nodes_[size_t(n)];
        if (!node.InReducibleList) return;
        if (node.Previous != None) nodes_[size_t(node.Previous)].Next = node.Next;
        else heads_[size_t(node.Level)] = node.Next;
        if (node.Next != None) nodes_[size_t(node.Next)].Previous = node.Previous;
        node.InReducibleList = false;
        node.Next = node.Previous = None;
    }

    void freeSubtree(int n) {
        Node& node = nodes_[size_t(n)];
        for (int& child : node.Children)
            if (child != None) {
                freeSubtree(child);
                child = None;
            }
        node.ChildCount = 0;
        if (node.IsLeaf) --leafCount_;
        unlistNode(n);
        free_.push_back(n);
    }

    // Merges the children of one node into it. False when no node can be reduced.
    bool reduceOnce() {
        int level = -1;
        for (int l = std::min(leafLevel_ - 1, 7); l >= 0 && level < 0; --l)
            if (heads_[size_t(l)] != None) level = l;
        // Branching nodes may sit only below the leaf level (in subtrees grown before it rose).
        for (int l = 7; l >= 0 && level < 0; --l)
            if (heads_[size_t(l)] != None) level = l;
        if (level < 0) return false;
        int best = heads_[size_t(level)];
        int64_t bestWeight = weight(nodes_[size_t(best)]);
        for (int n = nodes_[size_t(best)].Next; n != None; n = nodes_[size_t(n)].Next)
            if (weight(nodes_[size_t(n)]) < bestWeight) {
                best = n;
                bestWeight = weight(nodes_[size_t(n)]);
            }
        unlistNode(best);
        for (int& child : nodes_[size_t(best)].Children)
            if (child != None) {
                freeSubtree(child);
                child = None;
            }
        Node& node = nodes_[size_t(best)];
        node.ChildCount = 0;
        node.IsLeaf = true;
        ++leafCount_;
        if (node.Level < leafLevel_ - 1) leafLevel_ = node.Level + 1;
        return true;
    }

    static int64_t weight(const Node& node) { return 2 * node.RedSum + 3 * node.GreenSum + node.BlueSum; }

    void collect(int n, std::vector<TColor>& colours) const {
        const Node& node = nodes_[size_t(n)];
        if (node.IsLeaf) {
            const int64_t count = std::max<int64_t>(1, node.PixelCount);
            colours.push_back(pgRGB(uint8_t(node.RedSum / count), uint8_t(node.GreenSum / count),
                                    uint8_t(node.BlueSum / count)));
            return;
        }
        for (int child : node.Children)
            if (child != None) collect(child, colours);
    }

    std::vector<Node> nodes_;
    std::vector<int> free_;
    std::array<int, 8> heads_{};
    int root_ = None;
    int leafLevel_ = 8;
    int leafCount_ = 0;
    int maxLeaves_;
};

}  // namespace

void TPixelGraphic::ReduceColorsFrom(const TPixelGraphic& Source, int N, bool AddSystemColors) {
    const int target = AddSystemColors ? N - 16 : N;
    if (Source.GetWidth() < 1 || Source.GetHeight() < 1 || target < 1 || Source.GetEmpty()) {
        SetPaletteIdent(pSys16);
        SetPaletteCount(std::clamp(N, 0, 16));
        return;
    }
    SetPaletteCount(0);
    const int width = Source.GetWidth(), height = Source.GetHeight();
    std::vector<TColor> colours;
    bool abort = false;
    if (Source.GetPixelFormat() == PixelFormat24Bit) {
        ColorHistogram histogram;
        for (int y = 0; y < height && !abort; ++y) {
            const uint8_t* row = Source.GetScanLine(y);
            for (int x = 0; x < width; ++x) histogram.count(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
            FireProgress(y, abort, height - 1);
        }
        std::vector<ColorBox> boxes(1);
        boxes.reserve(MaxBoxes);
        histogram.shrink(boxes[0]);
        while (int(boxes.size()) < std::min(target, MaxBoxes)) {
            const int chosen = chooseBox(boxes, target);
            if (chosen < 0) break;
            ColorBox upper = splitBox(boxes[size_t(chosen)]);
            histogram.shrink(boxes[size_t(chosen)]);
            histogram.shrink(upper);
            boxes.push_back(upper);
        }
        for (const ColorBox& box : boxes) colours.push_back(histogram.average(box));
    } else {
        std::array<int64_t, 256> uses{};
        const TPGPixelFormat format = Source.GetPixelFormat();
        for (int y = 0; y < height && !abort; ++y) {
            const uint8_t* row = Source.GetScanLine(y);
            for (int x = 0; x < width; ++x) ++uses[size_t(pgPackedIndex(row, x, format))];
            FireProgress(y, abort, height - 1);
        }
        Octree tree(target);
        // Indexes past the palette's end (a damaged file's pixels) have no colour to weigh.
        for (int i = 0; i < std::min(256, Source.GetPaletteCount()); ++i)
            if (uses[size_t(i)] > 0) tree.insert(Source.GetPaletteColor(i), uses[size_t(i)]);
        colours = tree.palette();
    }
    if (AddSystemColors)
        for (int i = 0; i < 16 && int(colours.size()) < N; ++i) colours.push_back(SystemColors16[i]);
    SetPaletteCount(int(colours.size()));
    for (int i = 0; i < int(colours.size()); ++i) SetPaletteColor(i, colours[size_t(i)]);
}
