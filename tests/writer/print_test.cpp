// Documents built in code, written, and compared byte for byte.

#include "driver/conversion.hpp"
#include "model/operations.hpp"
#include "writer/file_sink.hpp"
#include "writer/print.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace morvane {
namespace {

class written : public ::testing::Test {
  protected:
    text t(std::string_view s) { return doc.copy(s); }
    std::string print() {
        std::string out;
        string_sink sink(out);
        writer w(sink);
        print_document(w, doc);
        w.flush();
        return out;
    }
    document doc;
};

TEST_F(written, frame_example_groups_and_orders_its_parts) {
    frame* f = get_frame(doc, t("idle"));
    sprite* s0 = new_sprite(doc, f, t("0"));
    s0->x = t("5");
    s0->image = t("a.png");
    point* p = get_point(doc, f, text());
    p->name = t("hand");
    p->type = t("1");
    p->x = t("3");
    colrect* c = get_colrect(doc, f, text());
    c->name = t("body");
    c->color = t("255");
    c->x = t("0");
    c->width = t("8");
    new_sprite(doc, f, t("1"))->angle = t("90");
    EXPECT_EQ(print(), "[frame idle]\n"
                       "colrect body width=8\n"
                       "colrect body x=0\n"
                       "colrect: body=255\n"
                       "point hand x=3\n"
                       "point: hand=1\n"
                       "sprite 0 image=a.png\n"
                       "sprite 0 x=5\n"
                       "sprite 1 angle=90\n");
}

TEST_F(written, character_and_charmap_example) {
    character* hero = get_character(doc, t("hero"));
    anim* walk = get_anim(doc, hero, t("walk"));
    anim_frame* f = new_anim_frame(doc, walk, t("0"));
    f->name = t("walk_0");
    f->duration = t("100");
    variable_change* v = get_variable_change(doc, f, t("speed"));
    v->value = t("2");
    sound* s = new_sound(doc, f, t("0"));
    s->name = t("step.wav");
    s->volume = t("50");
    (void)get_anim(doc, hero, t("run"));
    get_variable(doc, hero, t("hp"))->default_value = t("10");
    get_variable(doc, hero, t("mp"))->default_value = t("5");
    charmap* alt = new_charmap(doc, t("alt"));
    get_map(doc, alt, t("body"))->display = t("body_alt");
    get_map(doc, alt, t("head"))->display = t("head_alt");
    EXPECT_EQ(print(), "[char hero/anim walk]\n"
                       "frame 0=walk_0\n"
                       "frame 0 :speed=2\n"
                       "frame 0 duration=100\n"
                       "frame 0 sound 0=step.wav\n"
                       "frame 0 sound 0 volume=50\n"
                       "[char hero/anim run]\n"
                       "[char hero/variables]\n"
                       "hp=10\n"
                       "mp=5\n"
                       "[charmaps]\n"
                       "alt=body:body_alt,head:head_alt,\n");
}

TEST_F(written, numeric_sprites_and_textual_sounds) {
    frame* f = get_frame(doc, t("f"));
    anim_frame* af = new_anim_frame(doc, get_anim(doc, get_character(doc, t("c")), t("a")), t("0"));
    for (int i = 0; i < 11; ++i) {
        new_sprite(doc, f, doc.index_text(i))->x = t("1");
        new_sound(doc, af, doc.index_text(i))->volume = t("2");
    }
    const std::string out = print();
    EXPECT_NE(out.find("sprite 9 x=1\nsprite 10 x=1\n"), std::string::npos);
    EXPECT_NE(out.find("frame 0 sound 0 volume=2\nframe 0 sound 1 volume=2\n"
                       "frame 0 sound 10 volume=2\nframe 0 sound 2 volume=2\n"),
              std::string::npos);
}

TEST_F(written, incomplete_entries_are_left_out_where_the_format_checks) {
    anim_frame* af = new_anim_frame(doc, get_anim(doc, get_character(doc, t("c")), t("a")), t("0"));
    get_variable_change(doc, af, t("z"))->value = t("1");
    (void)get_variable_change(doc, af, t("no_value"));
    get_variable_change(doc, af, text())->value = t("3");
    get_variable_change(doc, af, t("b"))->value = t("");
    new_sound(doc, af, t("0"))->volume = t("9");
    charmap* m = new_charmap(doc, t("m"));
    (void)get_map(doc, m, t("only_folder"));
    get_map(doc, m, text())->display = t("only_display");
    get_map(doc, m, t("f"))->display = t("d");
    (void)new_charmap(doc, t("empty"));
    (void)new_charmap(doc, text());
    EXPECT_EQ(print(), "[char c/anim a]\n"
                       "frame 0 :b=\n"
                       "frame 0 :z=1\n"
                       "frame 0 sound 0 volume=9\n"
                       "[charmaps]\n"
                       "\n"
                       "empty=\n"
                       "m=f:d,\n");
}

TEST_F(written, names_sort_by_byte_and_ties_keep_the_partition_order) {
    (void)get_frame(doc, t("run"));
    (void)get_frame(doc, t("Walk"));
    for (const char* label : {"1", "2", "3"}) {
        frame* f = doc.make<frame>();
        f->name = t("dup");
        (void)list_append(doc.frame_list, f);
        new_sprite(doc, f, t(label))->x = t("");
    }
    (void)get_frame(doc, text());
    EXPECT_EQ(print(), "[frame ]\n"
                       "[frame Walk]\n"
                       "[frame dup]\nsprite 3 x=\n"
                       "[frame dup]\nsprite 1 x=\n"
                       "[frame dup]\nsprite 2 x=\n"
                       "[frame run]\n");
}

TEST_F(written, absent_names_and_defaults_print_empty_and_values_pass_through) {
    character* c = get_character(doc, text());
    (void)get_variable(doc, c, text());
    (void)get_anim(doc, c, text());
    new_sprite(doc, get_frame(doc, t("f")), t("0"))->image = t(std::string_view("a\0b\xff;", 5));
    using namespace std::string_literals;
    EXPECT_EQ(print(), "[char /anim ]\n"
                       "[char /variables]\n"
                       "=\n"
                       "[frame f]\n"
                       "sprite 0 image=a\0b\xff;\n"s);
}

TEST(output, indentation_and_placeholders) {
    std::string out;
    string_sink sink(out);
    writer w(sink);
    w.output_string(1, "a%sb%s\n", std::string_view("%s"), std::string_view("x"));
    w.output_string(-1, "%s", std::string_view("end"));
    w.flush();
    EXPECT_EQ(out, "\ta%sbx\nend");
}

// Bytes pass through the output block whole, whatever their size and wherever a
// block boundary falls: short pieces, a value that crosses a boundary and one
// longer than a whole block.
TEST(output, values_cross_block_boundaries_intact) {
    std::string out;
    string_sink sink(out);
    writer w(sink);
    std::string expected;
    const std::string medium(700'000, 'm');
    const std::string huge(3'000'000, 'h');
    for (int i = 0; i < 3; ++i) {
        w.output_string(0, "v=%s;\n", std::string_view(medium));
        expected += "v=" + medium + ";\n";
    }
    w.output_string(0, "<%s>", std::string_view(huge));
    expected += "<" + huge + ">";
    w.flush();
    EXPECT_EQ(out.size(), expected.size());
    EXPECT_TRUE(out == expected);
}

// Blocks written in the background reach the file whole and in order, around
// one written directly; a block that fails fails the flush at the latest.
TEST(file_sink, blocks_arrive_in_order_and_a_failed_one_fails_the_run) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::string expected;
    {
        file_sink sink(file);
        for (char c = 'a'; c < 'f'; ++c) {
            const std::string block(std::size_t{1} << 19U, c);
            sink.write(block);
            expected += block;
            if (c == 'c') {
                const std::string direct(std::size_t{3} << 20U, 'D');
                sink.write(direct);
                expected += direct;
            }
        }
        sink.flush();
    }
    std::rewind(file);
    std::string written(expected.size() + 1, '\0');
    written.resize(std::fread(written.data(), 1, written.size(), file));
    std::fclose(file);
    EXPECT_TRUE(written == expected) << written.size() << " of " << expected.size() << " bytes";

    std::FILE* full = std::fopen("/dev/full", "w");
    if (full == nullptr) GTEST_SKIP() << "no /dev/full here";
    const std::string block(std::size_t{1} << 19U, 'x');
    EXPECT_THROW(
        {
            file_sink sink(full);
            sink.write(block);
            sink.write(block);
            sink.flush();
        },
        write_error);
    std::fclose(full);
}

} // namespace
} // namespace morvane
