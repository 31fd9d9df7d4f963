#include "compiler/frames.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace tessed;
using compiler::BuildCommandFrame;
using compiler::FrameContent;
using compiler::ParseCommandFrame;

namespace {

CommandRecord Simple(int button, int a, int pl, int level = 0, int interface = 0) {
    CommandRecord r;
    r.TypeCMD = 1;
    r.Pulsante = button;
    r.Conf_A = a;
    r.Conf_PL = pl;
    r.Livello = level;
    r.Interfaccia = interface;
    return r;
}

CommandRecord Extended(int button, int address) {
    CommandRecord r;
    r.TypeCMD = 2;
    r.PULSANTE_CEN = button;
    r.Indirizzo_CEN = address;
    return r;
}

}  // namespace

TEST(CommandFrame, SimpleAddressShapes) {
    EXPECT_EQ(BuildCommandFrame(Simple(3, 1, 5)), "*15*03*15##");
    EXPECT_EQ(BuildCommandFrame(Simple(3, 0, 5)), "*15*03*05##");
    EXPECT_EQ(BuildCommandFrame(Simple(3, 10, 15)), "*15*03*1015##");
    EXPECT_EQ(BuildCommandFrame(Simple(3, 10, 5)), "*15*03*1005##");
    EXPECT_EQ(BuildCommandFrame(Simple(3, 5, 12)), "*15*03*0512##");
    EXPECT_EQ(BuildCommandFrame(Simple(3, 1, 5, 4, 2)), "*15*03*15#4#02##");
    // The two-digit picture never shortens a longer button number.
    EXPECT_EQ(BuildCommandFrame(Simple(123, 1, 5)).rfind("*15*123*", 0), 0u);
    // Only level 4 adds the interface, whatever the interface holds.
    EXPECT_EQ(BuildCommandFrame(Simple(3, 1, 5, 3, 7)), "*15*03*15##");
    EXPECT_EQ(BuildCommandFrame(Simple(3, 1, 5, 0, 7)), "*15*03*15##");
}

TEST(CommandFrame, ExtendedAndOtherFamilies) {
    EXPECT_EQ(BuildCommandFrame(Extended(7, 123)), "*25*22#7*2123##");
    CommandRecord r = Simple(3, 1, 5);
    for (int type : {0, 3, -1, 99}) {
        r.TypeCMD = type;
        EXPECT_EQ(BuildCommandFrame(r), "") << type;
    }
}

TEST(CommandFrame, SettingsValuesMayCarryBlanksOrNothing) {
    CommandRecord r;
    ASSERT_TRUE(ParseCommandFrame("  *15*03*0512##\r\n", r));
    EXPECT_EQ(r, Simple(3, 5, 12));
    // No frame at all is the empty command.
    r = Simple(1, 2, 3);
    EXPECT_TRUE(ParseCommandFrame("", r));
    EXPECT_EQ(r, CommandRecord{});
}

TEST(CommandFrame, RoundTripOverTheBusRanges) {
    int checked = 0;
    for (int button : {0, 1, 5, 9, 10, 31, 123}) {
        for (int a = 0; a <= 10; ++a) {
            for (int pl : {0, 1, 5, 9, 10, 12, 15, 99}) {
                for (int level : {0, 3, 4}) {
                    for (int interface : {0, 2, 15, 123}) {
                        CommandRecord r = Simple(button, a, pl, level, interface);
                        // Fields of the other family are not carried by the frame.
                        r.PULSANTE_CEN = 77;
                        r.Indirizzo_CEN = 88;
                        const std::string frame = BuildCommandFrame(r);
                        CommandRecord back;
                        ASSERT_TRUE(ParseCommandFrame(frame, back)) << frame;
                        ASSERT_EQ(back, FrameContent(r)) << frame;
                        ASSERT_EQ(BuildCommandFrame(back), frame);
                        ++checked;
                    }
                }
            }
        }
    }
    for (int button : {0, 7, 12, 999}) {
        for (int address : {0, 1, 123, 4095}) {
            CommandRecord r = Extended(button, address);
            r.Conf_A = 3;
            r.Livello = 4;
            const std::string frame = BuildCommandFrame(r);
            CommandRecord back;
            ASSERT_TRUE(ParseCommandFrame(frame, back)) << frame;
            ASSERT_EQ(back, FrameContent(r)) << frame;
            ++checked;
        }
    }
    EXPECT_GT(checked, 2000);
}

TEST(CommandFrame, MalformedTextsGiveTheEmptyRecord) {
    const std::vector<std::string> bad = {"*15*03*15",             // no closing "##"
                                          "15*03*15##",            // no leading "*"
                                          "*15*03*15##*",          // five parts
                                          "*15**15##",             // no button
                                          "*15*x3*15##",           // button not a number
                                          "*15*-3*15##",           // negative button
                                          "*15*03*125##",          // three address digits
                                          "*15*03*12345##",        // five address digits
                                          "*15*03*1115##",         // A above 10 in four digits
                                          "*15*03*##",             // no address
                                          "*15*03*15#3#02##",      // a level other than 4
                                          "*15*03*15#4###",        // level 4 without interface
                                          "*15*03*15#4##",         // level part cut short
                                          "*15*99999999999*15##",  // button beyond 32 bits
                                          "*25*7*2123##",          // extended without "22#"
                                          "*25*22#7*123##",  // extended address without its "2"
                                          "*25*22#*2123##",  // extended without button
                                          "*25*22#7*2##",    // extended without address
                                          "*99*03*15##",     // unknown family
                                          "*",
                                          "**",
                                          "***",
                                          "#",
                                          "##",
                                          "garbage"};
    for (const auto& text : bad) {
        CommandRecord r = Simple(1, 2, 3, 4, 5);
        EXPECT_FALSE(ParseCommandFrame(text, r)) << text;
        EXPECT_EQ(r, CommandRecord{}) << text;
    }
}

TEST(CommandFrame, RandomTextsNeverCrashAndAcceptedOnesAreStable) {
    std::mt19937 rng(20240613);
    const std::string alphabet = "*#0123456789215 \r\nx-";
    int accepted = 0;
    for (int i = 0; i < 50000; ++i) {
        std::string text;
        // Half the texts start from a real frame and are mutated, so that the
        // parser's deeper branches are reached.
        if (i % 2) {
            text = BuildCommandFrame(i % 4 == 1 ? Simple(int(rng() % 200), int(rng() % 11),
                                                         int(rng() % 100), 4, int(rng() % 100))
                                                : Extended(int(rng() % 1000), int(rng() % 5000)));
            size_t edits = rng() % 3;
            for (size_t e = 0; e < edits && !text.empty(); ++e)
                text[rng() % text.size()] = alphabet[rng() % alphabet.size()];
        } else {
            size_t len = rng() % 24;
            for (size_t k = 0; k < len; ++k) text += alphabet[rng() % alphabet.size()];
        }
        CommandRecord r;
        if (ParseCommandFrame(text, r)) {
            ++accepted;
            CommandRecord again;
            ASSERT_TRUE(ParseCommandFrame(BuildCommandFrame(r), again)) << text;
            ASSERT_EQ(again, r) << text;
        } else {
            ASSERT_EQ(r, CommandRecord{}) << text;
        }
    }
    EXPECT_GT(accepted, 1000);
}
