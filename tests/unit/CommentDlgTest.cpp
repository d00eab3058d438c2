// The description prompt run in-process: its template and the byte limit of
// its text.
#include "res/resource.h"
#include "support/DialogTemplate.h"
#include "support/Driver.h"
#include "support/InProcess.h"
#include "support/TestFiles.h"
#include "ui/CommentDlg.h"

#include <gtest/gtest.h>

namespace {
HWND WaitForPrompt() {
    return WaitForDialog(0, [](HWND w) { return TextOf(w) == "フォルダの説明を入力"; });
}

TEST(CommentTemplate, MatchesTheLayout) {
    DialogTemplate dialog = LoadDialogTemplate(IDD_COMMENT);
    ASSERT_TRUE(dialog.found);
    EXPECT_EQ(0x80C810C0u, dialog.style);
    EXPECT_EQ(0u, dialog.exStyle);
    EXPECT_EQ(303, dialog.cx);
    EXPECT_EQ(39, dialog.cy);
    EXPECT_EQ("フォルダの説明を入力", dialog.title);
    EXPECT_EQ(9, dialog.pointSize);
    EXPECT_EQ("ＭＳ Ｐゴシック", dialog.typeface);

    const std::vector<ExpectedItem> expected = {
        {IDOK, "Button", "OK", 93, 21, 50, 14,
         WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON},
        {IDCANCEL, "Button", "ｷｬﾝｾﾙ", 159, 21, 50, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP},
        {IDC_COMMENT, "Edit", "", 2, 4, 299, 14,
         WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
    };
    ExpectItems(dialog, expected);
}

TEST(CommentDlg, OpensWithThePrefillAndTheFocusOnOk) {
    CCommentDlg prompt;
    prompt.m_strComment = "現在の説明";
    INT_PTR result = RunDriven(prompt, [] {
        HWND dialog = WaitForPrompt();
        ASSERT_TRUE(dialog);
        HWND edit = GetDlgItem(dialog, IDC_COMMENT);
        EXPECT_EQ("現在の説明", TextOf(edit));
        EXPECT_EQ(255, (int)SendMessageA(edit, EM_GETLIMITTEXT, 0, 0));
        EXPECT_EQ(GetDlgItem(dialog, IDOK), FocusOf(dialog));
        PostClick(dialog, IDOK);
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ("現在の説明", prompt.m_strComment);
}

TEST(CommentDlg, CancelEscAndCloseKeepThePrefill) {
    for (UINT how : {0u, 1u, 2u}) {
        SCOPED_TRACE(how);
        CCommentDlg prompt;
        prompt.m_strComment = "元の説明";
        INT_PTR result = RunDriven(prompt, [how] {
            HWND dialog = WaitForPrompt();
            ASSERT_TRUE(dialog);
            SetWindowTextA(GetDlgItem(dialog, IDC_COMMENT), "書き換え");
            if (how == 0)
                PostClick(dialog, IDCANCEL);
            else if (how == 1)
                PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
            else
                PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        EXPECT_EQ(IDCANCEL, result);
        EXPECT_EQ("元の説明", prompt.m_strComment);
    }
}

// The edit's limit counts characters; the check on OK counts bytes.
TEST(CommentDlg, MoreThan255BytesAreRefusedEvenInFewerCharacters) {
    const std::string tooLong = Repeat("あ", 127) + "ab"; // 129 characters, 256 bytes
    const std::string longest = Repeat("あ", 127) + "a";  // 255 bytes
    CCommentDlg prompt;
    INT_PTR result = RunDriven(prompt, [&] {
        HWND dialog = WaitForPrompt();
        ASSERT_TRUE(dialog);
        HWND edit = GetDlgItem(dialog, IDC_COMMENT);
        SetWindowTextA(edit, tooLong.c_str());
        PostClick(dialog, IDOK);
        BoxInfo box;
        ASSERT_TRUE(AnswerBox(0, box));
        EXPECT_EQ("255 文字以内で入力してください。", box.text);
        EXPECT_EQ((UINT)MB_ICONEXCLAMATION, box.icon);
        EXPECT_TRUE(IsWindowVisible(dialog));
        // The focus moves to the edit once the box has closed.
        EXPECT_TRUE(WaitFor([&] { return FocusOf(dialog) == edit; }));

        SetWindowTextA(edit, longest.c_str());
        PostClick(dialog, IDOK);
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(longest, std::string(prompt.m_strComment));
}
} // namespace
