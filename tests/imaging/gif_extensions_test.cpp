// GIF extension blocks: layouts, registries and read-write round trips.
#include "tests/imaging/gif_test_support.h"

#include <QBuffer>

using namespace gif_test;

namespace {

// A one-frame GIF (2 colours, 2 x 1 pixels) with the given extension bytes in front of the frame.
QByteArray gifWithExtensions(const QByteArray& extensions) {
    return QByteArray("GIF89a") + QByteArray::fromHex("02000100" "80" "00" "00" "000000ffffff") + extensions +
           QByteArray::fromHex("2c" "00000000" "0200" "0100" "00") + QByteArray::fromHex("02" "02" "4c" "0a" "00") + ";";
}

template <typename T>
T* extensionAt(TGIFImage& image, int frame, int index) {
    return dynamic_cast<T*>(image.Images().Frame(frame)->Extensions.GetItem(index));
}

QByteArray extensionBytes(TGIFExtension& extension) {
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    extension.SaveToStream(out);
    return bytes;
}

}  // namespace

TEST(GifExtensions, CommentLayout) {
    TGIFImage image;
    TGIFSubImage frame(&image);
    TGIFCommentExtension empty(&frame);
    EXPECT_EQ(extensionBytes(empty), QByteArray::fromHex("21fe00"));
    TGIFCommentExtension long_(&frame);
    long_.Text = {QByteArray(300, 'c')};
    const QByteArray bytes = extensionBytes(long_);
    ASSERT_EQ(bytes.size(), 2 + 1 + 255 + 1 + 45 + 1);
    TGIFImage back;
    loadImage(back, gifWithExtensions(bytes));
    auto* comment = extensionAt<TGIFCommentExtension>(back, 0, 0);
    ASSERT_NE(comment, nullptr);
    EXPECT_EQ(comment->Text, (QList<QByteArray>{QByteArray(255, 'c'), QByteArray(45, 'c')}));
}

TEST(GifExtensions, LoopingExtensionsKeepTheirIdentifier) {
    for (const char* ident : {"NETSCAPE2.0", "ANIMEXTS1.0"}) {
        const QByteArray block = QByteArray::fromHex("21ff0b") + QByteArray(ident) + QByteArray::fromHex("03010500" "00");
        TGIFImage image;
        loadImage(image, gifWithExtensions(block));
        auto* loop = extensionAt<TGIFAppExtNSLoop>(image, 0, 0);
        ASSERT_NE(loop, nullptr) << ident;
        EXPECT_EQ(loop->Loops, 5);
        EXPECT_EQ(extensionBytes(*loop), block) << ident;
    }
    // A looping extension whose sub-block is not 3 bytes is invalid data.
    TGIFImage bad;
    try {
        loadImage(bad, gifWithExtensions(QByteArray::fromHex("21ff0b") + "NETSCAPE2.0" + QByteArray::fromHex("0401050000" "00")));
        ADD_FAILURE();
    } catch (const GIFException& e) {
        EXPECT_EQ(e.message(), "Invalid GIF data");
    }
}

TEST(GifExtensions, UnknownApplicationExtensionRoundTripsByteForByte) {
    const QByteArray block = QByteArray::fromHex("21ff0b") + "XMP DataXMP" + QByteArray::fromHex("05aabbccddee" "01ff" "00");
    TGIFImage image;
    loadImage(image, gifWithExtensions(block));
    auto* unknown = extensionAt<TGIFUnknownAppExtension>(image, 0, 0);
    ASSERT_NE(unknown, nullptr);
    ASSERT_EQ(unknown->Blocks.size(), 2u);
    EXPECT_EQ(unknown->Blocks[0]->Data, QByteArray::fromHex("aabbccddee"));
    EXPECT_EQ(extensionBytes(*unknown), block);
    // A 10-byte identifier block is kept and written back as 11 bytes.
    const QByteArray ten = QByteArray::fromHex("21ff0a") + "ABCDEFGHIJ" + QByteArray::fromHex("0199" "00");
    TGIFImage short_;
    loadImage(short_, gifWithExtensions(ten));
    auto* tenExt = extensionAt<TGIFUnknownAppExtension>(short_, 0, 0);
    ASSERT_NE(tenExt, nullptr);
    EXPECT_EQ(extensionBytes(*tenExt), QByteArray::fromHex("21ff0b") + "ABCDEFGHIJ" + QByteArray(1, '\0') +
                                           QByteArray::fromHex("0199" "00"));
    // Block sizes below 10 and above 11 are refused.
    for (const char* hex : {"21ff05" "0102030405" "00", "21ff0c" "000102030405060708090a0b" "00"}) {
        TGIFImage bad;
        try {
            loadImage(bad, gifWithExtensions(QByteArray::fromHex(hex)));
            ADD_FAILURE() << hex;
        } catch (const GIFException& e) {
            EXPECT_EQ(e.message(), "Unsupported Application Extension block size") << hex;
        }
    }
}

TEST(GifExtensions, GraphicControlKeepsItsRecordAndMarksTheFrame) {
    // Block size 5 instead of 4: still read as 6 bytes and written back unchanged.
    const QByteArray block = QByteArray::fromHex("21f9" "05" "0d" "3412" "01" "00");
    TGIFImage image;
    loadImage(image, gifWithExtensions(block));
    auto* control = extensionAt<TGIFGraphicControlExtension>(image, 0, 0);
    ASSERT_NE(control, nullptr);
    TGIFSubImage* frame = image.Images().Frame(0);
    EXPECT_EQ(frame->GraphicControlExtension, control);
    EXPECT_TRUE(frame->Transparent);
    EXPECT_EQ(control->GetDisposal(), 3);
    EXPECT_EQ(control->GetDelay(), 0x1234);
    EXPECT_EQ(control->GetTransparentColorIndex(), 1);
    EXPECT_EQ(extensionBytes(*control), block);
    // An index beyond the active colour table is refused with a warning and stored as 0.
    Warnings warnings;
    warnings.attach(image);
    control->SetTransparentColorIndex(7);
    EXPECT_EQ(control->GetTransparentColorIndex(), 0);
    EXPECT_EQ(warnings.Messages, QStringList{"Invalid color index"});
    // Removing the extension clears the frame's flag and reference.
    frame->Extensions.Delete(0);
    EXPECT_FALSE(frame->Transparent);
    EXPECT_EQ(frame->GraphicControlExtension, nullptr);
}

TEST(GifExtensions, PlainTextRecordAndText) {
    TGIFImage image;
    TGIFSubImage frame(&image);
    TGIFTextExtension text(&frame);
    text.Left = 1;
    text.Top = 2;
    text.Width = 300;
    text.Height = 4;
    text.CellWidth = 8;
    text.CellHeight = 9;
    text.TextFGColorIndex = 1;
    text.TextBGColorIndex = 0;
    text.Text = {"Hello", "GIF"};
    const QByteArray bytes = extensionBytes(text);
    EXPECT_EQ(bytes.left(15), QByteArray::fromHex("2101" "0c" "0100" "0200" "2c01" "0400" "08" "09" "01" "00"));
    TGIFImage back;
    loadImage(back, gifWithExtensions(bytes));
    auto* loaded = extensionAt<TGIFTextExtension>(back, 0, 0);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->Width, 300);
    EXPECT_EQ(loaded->Text, (QList<QByteArray>{"Hello", "GIF"}));
    EXPECT_EQ(extensionBytes(*loaded), bytes);
}

TEST(GifExtensions, BadExtensionsInTheStream) {
    // An unknown label is an error; the extensions before it stay with the frame being read.
    TGIFImage unknown;
    try {
        loadImage(unknown, gifWithExtensions(QByteArray::fromHex("21fe0161" "00" "2102" "00")));
        ADD_FAILURE();
    } catch (const GIFException& e) {
        EXPECT_EQ(e.message(), "Unknown extension type");
    }
    // A label that belongs to another class than the registry says is an internal mismatch.
    TGIFImage image;
    TGIFSubImage frame(&image);
    TGIFCommentExtension comment(&frame);
    QByteArray data = QByteArray::fromHex("21f90400000000" "00");
    QBuffer in(&data);
    in.open(QIODevice::ReadOnly);
    try {
        comment.LoadFromStream(in);
        ADD_FAILURE();
    } catch (const GIFException& e) {
        EXPECT_EQ(e.message(), "Internal error: Extension Instance does not match Extension Label");
    }
    QByteArray noIntroducer = QByteArray::fromHex("22fe00");
    QBuffer in2(&noIntroducer);
    in2.open(QIODevice::ReadOnly);
    try {
        comment.LoadFromStream(in2);
        ADD_FAILURE();
    } catch (const GIFException& e) {
        EXPECT_EQ(e.message(), "Invalid extension introducer");
    }
}

namespace {

// A comment class of the test's own, registered for label 0xFE.
class ShoutingComment : public TGIFCommentExtension {
public:
    static const GifExtensionClassInfo ClassInfo;
    using TGIFCommentExtension::TGIFCommentExtension;
    void LoadFromStream(QIODevice& Stream) override {
        TGIFCommentExtension::LoadFromStream(Stream);
        for (QByteArray& line : Text) line = line.toUpper();
    }
};
const GifExtensionClassInfo ShoutingComment::ClassInfo{
    "ShoutingComment", [](TGIFSubImage* frame) -> TGIFExtension* { return new ShoutingComment(frame); },
    ResolveOwnClass};

}  // namespace

TEST(GifExtensions, RegisteringAnotherClassForALabel) {
    const QByteArray bytes = gifWithExtensions(QByteArray::fromHex("21fe03616263" "00"));
    ExtensionList().Add(0xFE, &ShoutingComment::ClassInfo);
    TGIFImage image;
    loadImage(image, bytes);
    auto* comment = extensionAt<ShoutingComment>(image, 0, 0);
    FreeExtensionRegistries();  // back to the built-in classes for the other tests
    ASSERT_NE(comment, nullptr);
    EXPECT_EQ(comment->Text, QList<QByteArray>{"ABC"});
    TGIFImage plain;
    loadImage(plain, bytes);
    EXPECT_EQ(extensionAt<ShoutingComment>(plain, 0, 0), nullptr);
    EXPECT_NE(extensionAt<TGIFCommentExtension>(plain, 0, 0), nullptr);
}

TEST(GifExtensions, EveryKindSurvivesAReadWriteRoundTrip) {
    TGIFImage image;
    image.Header().ScreenDescriptor.ScreenWidth = 4;
    image.Header().ScreenDescriptor.ScreenHeight = 3;
    TGIFSubImage* first = addFrame(image, 4, 3, 2, patternPixels(4, 3, 2));
    auto* loop = new TGIFAppExtNSLoop(first);
    loop->Loops = 3;
    first->Extensions.Add(loop);
    auto* control = new TGIFGraphicControlExtension(first);
    first->Extensions.Add(control);
    control->SetDelay(25);
    control->SetDisposal(2);
    control->SetTransparent(true);
    control->SetTransparentColorIndex(3);
    auto* comment = new TGIFCommentExtension(first);
    comment->Text = {"made by a test", QByteArray(260, 'z')};
    first->Extensions.Add(comment);
    TGIFSubImage* second = addFrame(image, 2, 2, 1, {1, 0, 0, 1}, false, 1, 1);
    auto* text = new TGIFTextExtension(second);
    text->Text = {"caption"};
    second->Extensions.Add(text);
    auto* app = new TGIFUnknownAppExtension(second);
    app->Identifier = MakeApplicationId("LUMENTST1.0");
    app->Blocks.push_back(std::make_unique<TGIFBlock>(3));
    app->Blocks.back()->Data = "xyz";
    second->Extensions.Add(app);

    const QByteArray bytes = saveImage(image);
    EXPECT_TRUE(bytes.startsWith("GIF89a"));
    TGIFImage back;
    loadImage(back, bytes);
    ASSERT_EQ(back.Images().Count(), 2);
    EXPECT_EQ(saveImage(back), bytes);
    ASSERT_EQ(back.Images().Frame(0)->Extensions.Count(), 3);
    EXPECT_EQ(extensionAt<TGIFAppExtNSLoop>(back, 0, 0)->Loops, 3);
    auto* backControl = extensionAt<TGIFGraphicControlExtension>(back, 0, 1);
    EXPECT_EQ(backControl->GetDelay(), 25);
    EXPECT_EQ(backControl->GetDisposal(), 2);
    EXPECT_EQ(backControl->GetTransparentColorIndex(), 3);
    EXPECT_TRUE(back.Images().Frame(0)->Transparent);
    EXPECT_EQ(extensionAt<TGIFCommentExtension>(back, 0, 2)->Text.size(), 3);
    EXPECT_EQ(extensionAt<TGIFTextExtension>(back, 1, 0)->Text, QList<QByteArray>{"caption"});
    EXPECT_EQ(extensionAt<TGIFUnknownAppExtension>(back, 1, 1)->Blocks.at(0)->Data, "xyz");
    EXPECT_EQ(back.Images().Frame(1)->Data, (std::vector<uint8_t>{1, 0, 0, 1}));
}
