// The network address dialog: a refused address keeps it open with the
// reason on its error line; the accepted one closes it with its source.
#include <gtest/gtest.h>

#include "link/chosen_source.h"
#include "panels/address_dialog.h"
#include "tests/windows/link_test_support.h"

using linkrules::SourceKind;

TEST(AddressDialog, RefusedAddressesSayWhyAndTheDialogStaysUntilOneIsTaken) {
    link_test::AddressAnswer answer(
        {L"", L"tcp://rover:0", L"tcp://::1:4001", L"ftp://x:1", L"  gpsd://[::1]  "});
    CAddressDlg dialog;
    linkrules::SourceSpec chosen;
    std::u16string typed;
    ASSERT_TRUE(dialog.Ask(nullptr, u"tcp://127.0.0.1:4001", &chosen, &typed));
    answer.Finish();
    EXPECT_EQ(answer.offered, L"tcp://127.0.0.1:4001");
    ASSERT_EQ(answer.errors.size(), 5u);
    EXPECT_NE(answer.errors[0].find(L"tcp://HOST:PORT"), std::wstring::npos) << answer.errors[0];
    EXPECT_NE(answer.errors[1].find(L"1 to 65535"), std::wstring::npos) << answer.errors[1];
    EXPECT_NE(answer.errors[2].find(L"brackets"), std::wstring::npos) << answer.errors[2];
    EXPECT_NE(answer.errors[3].find(L"tcp://HOST:PORT"), std::wstring::npos) << answer.errors[3];
    EXPECT_EQ(answer.errors[4], L"");
    EXPECT_EQ(chosen.kind, SourceKind::kGpsd);
    EXPECT_EQ(chosen.host, u"::1");
    EXPECT_EQ(chosen.port, 2947);
    EXPECT_EQ(typed, u"  gpsd://[::1]  ");
}

TEST(AddressDialog, CancelOpensNothingEvenAfterARefusal) {
    link_test::AddressAnswer answer({L"udp://"}, true);
    CAddressDlg dialog;
    linkrules::SourceSpec chosen;
    std::u16string typed = u"untouched";
    EXPECT_FALSE(dialog.Ask(nullptr, u"", &chosen, &typed));
    answer.Finish();
    ASSERT_EQ(answer.errors.size(), 1u);
    EXPECT_NE(answer.errors[0].find(L"no port"), std::wstring::npos) << answer.errors[0];
    EXPECT_EQ(chosen.kind, SourceKind::kNone);
    EXPECT_EQ(typed, u"untouched");
}
