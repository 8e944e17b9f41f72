// The dialog font scaler: the same pixel layout at 96 and 120 DPI, the default
// font of a template without one, and the re-layout's edge cases.
#include <gtest/gtest.h>
#include <fstream>
#include <sstream>
#include "CDialogFontScaler.h"
#include "ControlsTestSupport.h"
#include "TestSupport.h"

namespace {

// The gallery's fixture layout ("system" and "scaled" lines) in a process started at dpi.
std::string LayoutAt(DWORD dpi, const testsupport::TempDir& dir)
{
    std::string file = dir.File("layout" + std::to_string(dpi) + ".txt");
    {
        // LogPixels of the user's desktop for the started process; put back afterwards.
        testsupport::SavedValues saved({"LogPixels"}, HKEY_CURRENT_USER, "Control Panel\\Desktop");
        HKEY desktop = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &desktop,
                        nullptr);
        RegSetValueExA(desktop, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
        RegCloseKey(desktop);
        char exe[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, exe, MAX_PATH);
        strcpy(strrchr(exe, '\\') + 1, "gallery.exe");
        EXPECT_EQ(testsupport::RunProcess(std::string("\"") + exe + "\" -scaler " + file), 0);
    }
    std::string text;
    testsupport::ReadFileBytes(file, text);
    return text;
}

std::string Lines(const std::string& text, const std::string& prefix)
{
    std::istringstream in(text);
    std::string line, out;
    while (std::getline(in, line))
        if (line.compare(0, prefix.size(), prefix) == 0)
            out += line + "\n";
    return out;
}

TEST(DialogFontScaler, TheLayoutIsTheSameAt96And120Dpi)
{
    ASSERT_NE(controlstest::GalleryModule(), nullptr) << "gallery.exe beside the tests";
    testsupport::TempDir dir;
    std::string at120, at96;
    {
        testsupport::SharedStateLock lock;
        at120 = LayoutAt(120, dir);
        at96 = LayoutAt(96, dir);
    }
    ASSERT_EQ(Lines(at120, "dpi"), "dpi 120\n");
    ASSERT_EQ(Lines(at96, "dpi"), "dpi 96\n");
    // The system lays the template out larger at 120 DPI; the scaler undoes that.
    EXPECT_NE(Lines(at120, "system"), Lines(at96, "system"));
    std::string scaled = Lines(at96, "scaled");
    for (int id = IDC_FIX_FIRST; id <= IDC_FIX_FOURTH; ++id)
        EXPECT_NE(scaled.find("scaled control " + std::to_string(id) + " "), std::string::npos) << id;
    EXPECT_EQ(Lines(at120, "scaled"), scaled);
    // At 96 DPI the scaler keeps the system's own layout.
    std::string system96 = Lines(at96, "system");
    for (size_t at = system96.find("system"); at != std::string::npos; at = system96.find("system", at))
        system96.replace(at, 6, "scaled");
    EXPECT_EQ(scaled, system96);
}

// A fixture dialog of the gallery made in this process.
class ScalerFixture : public ::testing::Test {
protected:
    void Make(UINT id, CWnd* parent = nullptr)
    {
        ASSERT_NE(controlstest::GalleryTemplate(id), nullptr) << "gallery.exe beside the tests";
        ASSERT_TRUE(m_dialog.CreateIndirect(controlstest::GalleryTemplate(id), parent));
    }
    void TearDown() override
    {
        m_scaler.Restore();
        m_dialog.DestroyWindow();
    }
    CRect ControlRect(UINT id)
    {
        CRect rect;
        ::GetWindowRect(::GetDlgItem(m_dialog.m_hWnd, id), &rect);
        m_dialog.ScreenToClient(&rect);
        return rect;
    }
    // The font of a control: what the scaler gave it. (A dialog keeps answering
    // WM_GETFONT with its template's font.)
    HFONT ControlFont(UINT id) { return reinterpret_cast<HFONT>(SendDlgItemMessageA(m_dialog.m_hWnd, id, WM_GETFONT, 0, 0)); }
    LOGFONTA ControlLogFont(UINT id)
    {
        LOGFONTA lf = {};
        GetObjectA(ControlFont(id), sizeof lf, &lf);
        return lf;
    }

    CDialog m_dialog;
    CDialogFontScaler m_scaler;
};

TEST_F(ScalerFixture, ATemplateWithoutAFontGetsEightPointTahoma)
{
    Make(IDD_NOFONT);
    ASSERT_TRUE(m_scaler.Apply(controlstest::GalleryModule(), m_dialog.m_hWnd, IDD_NOFONT, 96.0));
    LOGFONTA lf = ControlLogFont(IDC_FIX_FIRST);
    EXPECT_STREQ(lf.lfFaceName, "Tahoma");
    EXPECT_EQ(lf.lfHeight, -11);   // 8 points at 96 DPI
    EXPECT_EQ(lf.lfWeight, FW_NORMAL);
    EXPECT_FALSE(lf.lfItalic);

    // At twice the resolution, twice the height.
    ASSERT_TRUE(m_scaler.Apply(controlstest::GalleryModule(), m_dialog.m_hWnd, IDD_NOFONT, 192.0));
    EXPECT_EQ(ControlLogFont(IDC_FIX_FIRST).lfHeight, -21);
}

// The horizontal base unit is the font's average width of the 52 letters,
// rounded: (cx / 26 + 1) / 2. Fonts where cx / 26 is odd tell rounding from cutting.
TEST_F(ScalerFixture, HorizontalBaseUnitIsTheRoundedHalfOfTheLettersWidthOver26)
{
    Make(IDD_FIXTURE);
    int odd = 0;
    for (double dpi = 96.0; dpi <= 240.0; dpi += 12.0) {
        ASSERT_TRUE(m_scaler.Apply(controlstest::GalleryModule(), m_dialog.m_hWnd, IDD_FIXTURE, dpi));
        HDC dc = ::GetDC(m_dialog.m_hWnd);
        HGDIOBJ old = SelectObject(dc, ControlFont(IDC_FIX_FOURTH));
        SIZE size = {};
        GetTextExtentPointA(dc, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ", 52, &size);
        SelectObject(dc, old);
        ::ReleaseDC(m_dialog.m_hWnd, dc);
        odd += (size.cx / 26) % 2;
        const int base = (size.cx / 26 + 1) / 2;
        // The fourth control: 10 units from the left, 180 wide.
        EXPECT_EQ(ControlRect(IDC_FIX_FOURTH).left, static_cast<int>(10 * base / 4.0 + 0.5)) << dpi;
        EXPECT_EQ(ControlRect(IDC_FIX_FOURTH).Width(), 45 * base) << dpi << " cx " << size.cx;
        m_scaler.Restore();
    }
    EXPECT_GT(odd, 0) << "no font of the run had an odd cx / 26";
}

TEST_F(ScalerFixture, AControlMissingFromTheWindowEndsTheRelayout)
{
    Make(IDD_FIXTURE);
    CRect first = ControlRect(IDC_FIX_FIRST);
    CRect third = ControlRect(IDC_FIX_THIRD);
    ::DestroyWindow(::GetDlgItem(m_dialog.m_hWnd, IDC_FIX_SECOND));
    ASSERT_TRUE(m_scaler.Apply(controlstest::GalleryModule(), m_dialog.m_hWnd, IDD_FIXTURE, 192.0));
    CRect moved = ControlRect(IDC_FIX_FIRST);
    EXPECT_NE(moved, first);
    EXPECT_GT(moved.Width(), first.Width() * 3 / 2);
    EXPECT_EQ(ControlRect(IDC_FIX_THIRD), third);
}

TEST_F(ScalerFixture, AChildDialogStaysInPlaceInItsParent)
{
    classlibtest::DialogTemplate parentTemplate(WS_POPUP, 0, 0, 200, 150);
    CDialog parent;
    ASSERT_TRUE(parent.CreateIndirect(parentTemplate.Get()));
    parent.SetWindowPos(nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Make(IDD_CHILD_FIXTURE, &parent);
    m_dialog.SetWindowPos(nullptr, 10, 12, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(m_scaler.Apply(controlstest::GalleryModule(), m_dialog.m_hWnd, IDD_CHILD_FIXTURE, 192.0));
    CRect rect;
    m_dialog.GetWindowRect(&rect);
    parent.ScreenToClient(&rect);
    EXPECT_EQ(rect.TopLeft(), CPoint(10, 12));
    EXPECT_GT(rect.Width(), 100);
    m_scaler.Restore();
    m_dialog.DestroyWindow();
    parent.DestroyWindow();
}

}  // namespace
