#include "vlm/messages.h"

#include <gtest/gtest.h>

#include "test_support.h"
#include "vcl/exceptions.h"

namespace vlm {
namespace {

class MessagesTest : public ::testing::Test {
protected:
    ScriptedServices services;
    TMessages messages{nullptr, "msgPadrao", services};

    void SetUp() override {
        messages.Messages = {"Fil_Cad|Filial não cadastrada", "get|Buscando informações do servidor...",
                             "Barra|Texto com | barra", "Vazio|"};
    }
};

TEST_F(MessagesTest, MsgGivesTheTextAfterTheFirstBar) {
    EXPECT_EQ(messages.Msg("Fil_Cad"), "Filial não cadastrada");
    EXPECT_EQ(messages.Msg("Barra"), "Texto com | barra");
    EXPECT_EQ(messages.Msg("Vazio"), "");
}

TEST_F(MessagesTest, AMissingKeyRaisesAnErrorNamingIt) {
    try {
        (void)messages.Msg("Fil");  // a prefix of a key is not the key
        FAIL() << "no exception";
    } catch (const vcl::Exception& error) {
        EXPECT_NE(std::string(error.what()).find("Fil"), std::string::npos);
        EXPECT_NE(std::string(error.what()).find("msgPadrao"), std::string::npos);
    }
}

TEST_F(MessagesTest, ShowMsgShowsTheTextWithTypeAndButtonsAndReturnsTheAnswer) {
    services.PushButton(contracts::TMsgDlgBtn::No);
    const auto answer = messages.ShowMsg("get", contracts::TMsgDlgType::Confirmation,
                                         {contracts::TMsgDlgBtn::Yes, contracts::TMsgDlgBtn::No}, 0);
    EXPECT_EQ(answer, contracts::TMsgDlgBtn::No);
    EXPECT_EQ(messages.ShowMsg("Fil_Cad", contracts::TMsgDlgType::Information), contracts::TMsgDlgBtn::OK);
    ASSERT_EQ(services.Messages().size(), 2u);
    EXPECT_EQ(services.Messages()[0].type, contracts::TMsgDlgType::Confirmation);
    EXPECT_EQ(services.Messages()[0].text, "Buscando informações do servidor...");
    EXPECT_EQ(services.Messages()[1].type, contracts::TMsgDlgType::Information);
}

}  // namespace
}  // namespace vlm
