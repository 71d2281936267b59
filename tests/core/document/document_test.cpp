// Opening and saving images and vectors, histograms, snapshots and the
// questions asked before a document closes.
#include "document/document.h"

#include "commands/processing_commands.h"
#include "image/bmp_file.h"
#include "support/recording_port.h"
#include "support/scratch_dir.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;
using Answer = MessageAnswer;

class DocumentTest : public test::ScratchDir {
protected:
    /// A pure red 2 x 2 24-bit BMP file saved as `name`.
    fs::path redBmp(const std::string& name)
    {
        CBitmapImage image;
        image.Create(2, 2, 24);
        for (int k = 0; k < 4; ++k)
            image.SetPixelColor(1 + k % 2, 1 + k / 2, 255, 0, 0);
        EXPECT_EQ(WriteBmpFile(image, dir / name), 1);
        return dir / name;
    }
    static PointList twoPoints(double x0, double y0, double x1, double y1)
    {
        PointList p;
        p.append(x0, y0);
        p.append(x1, y1);
        return p;
    }
    RecordingPort m_port;
    Document m_doc;
};

TEST_F(DocumentTest, OpeningABmpCountsNoHistogramUntilAskedAndMaximaOnlyGrow)
{
    ASSERT_EQ(m_doc.OnOpenDocument(redBmp("red.bmp"), m_port), OpenResult::Read);
    EXPECT_EQ(m_port.statusTexts(), (std::vector<std::string>{"Working...", "Ready"}));
    EXPECT_EQ(m_doc.m_image.GetWidth(), 2);
    EXPECT_EQ(m_doc.GetFileName(), "red.bmp");
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_EQ(std::pair(m_doc.m_nMaxCount, m_doc.m_histRed[255]), std::pair(-1, 0)) << "not counted on loading";

    m_doc.UpdateHistogram();
    EXPECT_EQ((std::vector{m_doc.m_histRed[255], m_doc.m_histRed[0], m_doc.m_histGreen[0], m_doc.m_histBlue[0]}),
              (std::vector{4, 0, 4, 4}));
    EXPECT_EQ((std::vector{m_doc.m_nMaxRed, m_doc.m_nMaxGreen, m_doc.m_nMaxBlue, m_doc.m_nMaxCount}),
              (std::vector{4, 4, 4, 4}));
    m_doc.m_image.SetPixelColor(1, 1, 0, 0, 255);
    m_doc.m_image.SetPixelColor(2, 1, 0, 9, 0);
    m_doc.UpdateHistogram();
    EXPECT_EQ(std::pair(m_doc.m_histRed[255], m_doc.m_histGreen[0]), std::pair(2, 3));
    EXPECT_EQ(std::pair(m_doc.m_nMaxRed, m_doc.m_nMaxCount), std::pair(4, 4)) << "kept from the earlier count";
}

TEST_F(DocumentTest, ARejectedFileLeavesAnEmptyDocumentAndAMissingOneNone)
{
    test::spit(dir / "junk.bmp", "not a bitmap at all");
    EXPECT_EQ(m_doc.OnOpenDocument(dir / "junk.bmp", m_port), OpenResult::Rejected);
    EXPECT_TRUE(m_doc.m_image.IsEmpty());
    EXPECT_EQ(m_port.messages(), std::vector<std::string>{kLoadBitmapError});
    EXPECT_EQ(m_port.lastStatus(), "Error Loading Bitmap File");

    m_port.clear();
    EXPECT_EQ(m_doc.OnOpenDocument(dir / "missing.bmp", m_port), OpenResult::CannotOpen);
    ASSERT_EQ(m_port.messages().size(), 1u);
    EXPECT_NE(m_port.messages()[0].find("missing.bmp"), std::string::npos) << "names the file";
    EXPECT_EQ(m_doc.OnOpenDocument(dir, m_port), OpenResult::CannotOpen) << "a folder";
}

TEST_F(DocumentTest, SavingWritesTheImageAndRefusesWhenThereIsNone)
{
    EXPECT_EQ(m_doc.OnSaveDocument(dir / "empty.bmp", m_port), 0);
    ASSERT_EQ(m_port.messages().size(), 1u);
    EXPECT_EQ(m_port.messages()[0].rfind("Error Saving Bitmap File", 0), 0u);
    EXPECT_EQ(m_port.lastStatus(), "Error Saving Bitmap File");
    EXPECT_FALSE(fs::exists(dir / "empty.bmp"));

    m_doc.OnOpenDocument(redBmp("red.bmp"), m_port);
    m_doc.SetModifiedFlag();
    m_port.clear();
    ASSERT_EQ(m_doc.OnSaveDocument(dir / "copy.bmp", m_port), 1);
    EXPECT_EQ(m_port.statusTexts(), (std::vector<std::string>{"Saving...", "Ready"}));
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_EQ(m_doc.GetPathName(), dir / "copy.bmp");
    EXPECT_EQ(fs::file_size(dir / "copy.bmp"), fs::file_size(dir / "red.bmp"));

    m_doc.SetModifiedFlag();
    EXPECT_EQ(m_doc.OnSaveDocument(dir / "no" / "such" / "folder.bmp", m_port), 0);
    EXPECT_TRUE(m_doc.IsModified()) << "a failed save keeps the image marked";
    EXPECT_EQ(m_doc.GetPathName(), dir / "copy.bmp");
}

TEST_F(DocumentTest, VectorFilesSaveClearTheChangedFlagAndReadAfterKeptLines)
{
    EXPECT_EQ(m_doc.CanSaveVectors(m_port), 0);
    EXPECT_EQ(m_port.messages(), std::vector<std::string>{"No vector data found."});

    m_doc.m_lines.AddLine(twoPoints(1, 2, 3, 4));
    m_doc.SetVectorsChanged();
    m_port.clear();
    const fs::path arc = dir / "lines.arc";
    ASSERT_EQ(m_doc.SaveVectorFile(arc, m_port), 1);
    EXPECT_FALSE(m_doc.VectorsChanged());
    EXPECT_EQ(m_port.statusTexts(), (std::vector<std::string>{"Saving...", "Ready"}));

    m_port.scriptAnswers({Answer::No});
    m_doc.AskToEraseVectors(m_port);
    ASSERT_EQ(m_doc.OpenVectorFile(arc, m_port), 1);
    EXPECT_EQ(m_port.messages().back(), "Erase existing vector data?");
    EXPECT_EQ(m_doc.m_lines.GetLineCount(), 3) << "the kept line, the file's line and its closing empty line";
    EXPECT_TRUE(m_doc.VectorsChanged()) << "no file holds the kept and the read lines together";

    m_port.scriptAnswers({Answer::Yes});
    m_doc.AskToEraseVectors(m_port);
    EXPECT_EQ(m_doc.m_lines.GetLineCount(), 0);
    ASSERT_EQ(m_doc.OpenVectorFile(arc, m_port), 1);
    EXPECT_FALSE(m_doc.VectorsChanged()) << "the store now equals the file";

    m_port.clear();
    EXPECT_EQ(m_doc.SaveVectorFile(dir / "missing" / "lines.dxf", m_port), 0);
    EXPECT_EQ(m_port.messages().back().rfind("Error Saving Vector File\n", 0), 0u);
    EXPECT_NE(m_port.messages().back().find("does not exist"), std::string::npos) << "says why";
    EXPECT_EQ(m_port.lastStatus(), "Error Saving Vector File");
    m_port.clear();
    EXPECT_EQ(m_doc.OpenVectorFile(dir / "missing.arc", m_port), 0);
    EXPECT_EQ(m_port.messages(), (std::vector<std::string>{"Unable to open file!", "Error Opening Vector File"}));
}

TEST_F(DocumentTest, SwappingASnapshotExchangesImageColourTableLinesFlagsAndHistograms)
{
    const RGBQUAD table[2] = {{0, 0, 0, 0}, {200, 100, 50, 0}};
    m_doc.m_image.Create(9, 3, 1, table);
    m_doc.m_image.SetPixelColor(9, 3, 50, 100, 200);
    m_doc.m_lines.AddLine(twoPoints(0, 0, 5, 5));
    m_doc.UpdateHistogram();
    DocumentSnapshot snapshot = m_doc.TakeSnapshot();
    ASSERT_TRUE(snapshot.complete);
    EXPECT_GE(snapshot.MemoryBytes(), snapshot.image->GetBitsSize() + 48u);

    m_doc.m_image.SetPixelColor(9, 3, 0, 0, 0);
    m_doc.m_image.GetColorTable()[1] = RGBQUAD{1, 2, 3, 0};
    m_doc.UpdateHistogram();
    m_doc.m_lines.DeleteAllLines();
    m_doc.SetModifiedFlag();
    m_doc.SetVectorsChanged();

    m_doc.SwapSnapshot(snapshot);
    std::uint8_t r = 0, g = 0, b = 0;
    ASSERT_EQ(m_doc.m_image.GetPixelColor(9, 3, r, g, b), 1);
    EXPECT_EQ((std::vector<int>{r, g, b}), (std::vector<int>{50, 100, 200})) << "the colour table came back too";
    ASSERT_EQ(m_doc.m_lines.GetLineCount(), 1);
    EXPECT_EQ(m_doc.m_lines.m_nLastLineId, 1);
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_FALSE(m_doc.VectorsChanged());
    EXPECT_EQ(m_doc.m_histBlue[200], 1);

    // The snapshot now holds the changed state: swapping again is redo.
    m_doc.SwapSnapshot(snapshot);
    EXPECT_EQ(m_doc.m_lines.GetLineCount(), 0);
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(m_doc.m_histBlue[200], 0);
}

TEST_F(DocumentTest, APixelSnapshotHoldsJustThePixelsBytes)
{
    for (int bits : {1, 4, 8, 24}) {
        const RGBQUAD table[2] = {{255, 255, 255, 0}, {0, 0, 0, 0}};
        m_doc.m_image.Create(13, 4, bits, table);
        std::fill_n(m_doc.m_image.GetBits(), m_doc.m_image.GetBitsSize(), std::uint8_t(0x5A));
        const std::vector<std::uint8_t> before(m_doc.m_image.GetBits(),
                                               m_doc.m_image.GetBits() + m_doc.m_image.GetBitsSize());
        DocumentSnapshot snapshot = m_doc.TakePixelSnapshot(10, 2);
        ASSERT_EQ(snapshot.pixels.size(), 1u) << bits;
        EXPECT_EQ(snapshot.pixels[0].bytes.size(), bits == 24 ? 3u : 1u);
        EXPECT_FALSE(snapshot.image);
        m_doc.m_image.SetPixelColor(10, 2, 0, 0, 0);
        m_doc.m_image.SetPixelColor(10, 2, 255, 255, 255);
        m_doc.SwapSnapshot(snapshot);
        EXPECT_EQ(std::vector<std::uint8_t>(m_doc.m_image.GetBits(),
                                            m_doc.m_image.GetBits() + m_doc.m_image.GetBitsSize()),
                  before)
            << bits << " bits";
    }
    EXPECT_TRUE(m_doc.TakePixelSnapshot(0, 1).pixels.empty()) << "outside the image there is nothing to keep";
}

TEST_F(DocumentTest, ClosingAsksAboutTheImageThenTheLines)
{
    int imageSaves = 0, vectorSaves = 0;
    bool saveSucceeds = true;
    const SaveActions actions{[&] { ++imageSaves; return saveSucceeds; },
                              [&] { ++vectorSaves; return saveSucceeds; }};

    // A command that changed the image but asked not to mark it (One-Touch
    // retaining the original) leaves nothing to save.
    m_doc.ApplyOutcome(CommandOutcome{true, true, false, false});
    EXPECT_EQ(m_doc.SaveModified(m_port, "a.bmp", actions), CloseAnswer::Close);
    EXPECT_TRUE(m_port.messages().empty()) << "nothing changed, nothing asked";

    m_doc.m_lines.AddLine(twoPoints(0, 0, 1, 1));
    m_doc.ApplyOutcome(CommandOutcome{true, false, true, true});
    struct Case {
        std::vector<Answer> answers;
        CloseAnswer result;
        int questions, imageSaves, vectorSaves;
    };
    const Case cases[] = {
        {{Answer::No, Answer::No}, CloseAnswer::Close, 2, 0, 0},
        {{Answer::Cancel}, CloseAnswer::Cancel, 1, 0, 0},
        {{Answer::No, Answer::Cancel}, CloseAnswer::Cancel, 2, 0, 0},
        {{Answer::Yes, Answer::Yes}, CloseAnswer::Close, 2, 1, 1},
    };
    for (const Case& c : cases) {
        m_port.clear();
        imageSaves = vectorSaves = 0;
        for (Answer a : c.answers)
            m_port.scriptAnswers({a});
        EXPECT_EQ(m_doc.SaveModified(m_port, "a.bmp", actions), c.result);
        EXPECT_EQ(int(m_port.messages().size()), c.questions);
        EXPECT_EQ(imageSaves, c.imageSaves);
        EXPECT_EQ(vectorSaves, c.vectorSaves);
    }
    EXPECT_EQ(m_port.messages(),
              (std::vector<std::string>{"Save changes to a.bmp?", "Save changes to the vector lines of a.bmp?"}));

    saveSucceeds = false; // the user cancelled the save dialog, or the disk is full
    m_port.clear();
    m_port.scriptAnswers({Answer::Yes});
    EXPECT_EQ(m_doc.SaveModified(m_port, "a.bmp", actions), CloseAnswer::Cancel);

    m_doc.SetModifiedFlag(false);
    m_doc.m_lines.DeleteAllLines();
    m_port.clear();
    EXPECT_EQ(m_doc.SaveModified(m_port, "a.bmp", actions), CloseAnswer::Close);
    EXPECT_TRUE(m_port.messages().empty()) << "no lines left to lose";
}

} // namespace
} // namespace orvane
