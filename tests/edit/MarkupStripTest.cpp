// HTML and TeX to text.
#include <gtest/gtest.h>

#include "edit/MarkupStrip.h"
#include "platform/Cp932.h"
#include "regex/bmRegExp.h"
#include "tests/SjisText.h"

namespace navirt {
namespace {

LineList Html(const LineList& in) { return StripHtml(in).lines; }

TEST(HtmlStrip, BreaksBulletsAndRules) {
  // The empty line goes in at index 1.
  EXPECT_EQ(Html({"a<BR>b", "c</P>"}), (LineList{"a", "", "bc"}));
  EXPECT_EQ(Html({"<LI>x</LI>"}), (LineList{"", "", S("・x")}));
  EXPECT_EQ(Html({"<ol>one<br>"}), (LineList{"", "", "#.one"}));
  // With attributes P does not break; a bare lower-case p does.
  EXPECT_EQ(Html({"a<P ALIGN=center>b<p>c"}), (LineList{"ab", "", "c"}));
  LineList hr = Html({"x<HR>y<br>"});
  ASSERT_EQ(hr.size(), 4u);
  EXPECT_EQ(hr[0], "x");
  EXPECT_EQ(hr[2], std::string(60, '-'));
  EXPECT_EQ(hr[3], "y");
  // Closing headings and anything starting /H or HR break the line.
  EXPECT_EQ(Html({"<h1>T</h1>rest<hr size=2>"}).at(0), "T");
  EXPECT_TRUE(IsLineBreakingTag("/HEAD"));
  EXPECT_TRUE(IsLineBreakingTag("HR SIZE=1"));
  EXPECT_FALSE(IsLineBreakingTag("BR CLEAR=ALL"));
  EXPECT_FALSE(IsLineBreakingTag("/LI"));
}

TEST(HtmlStrip, TextAfterTheLastTagIsKept) {
  EXPECT_EQ(Html({"head<br>", "the end", "of it"}), (LineList{"head", "", "the endof it"}));
  EXPECT_EQ(Html({"no tags at all"}), (LineList{"no tags at all", ""}));
  EXPECT_EQ(Html({"<br>"}), (LineList{"", ""}));
}

TEST(HtmlStrip, CommentsAcrossLinesAndStrayTagEnds) {
  EXPECT_EQ(Html({"a<!-- one", "two -->b<br>"}), (LineList{"ab", ""}));
  EXPECT_EQ(Html({"a<!-- x -->b<!-- y -->c<br>"}), (LineList{"abc", ""}));
  // A ">" with no "<" before it takes the text before it along.
  EXPECT_EQ(Html({"junk> kept<br>"}), (LineList{" kept", ""}));
  // An unclosed "<" waits for its ">" on a later line.
  EXPECT_EQ(Html({"a<font", "size=2>b<br>"}), (LineList{"ab", ""}));
}

TEST(HtmlStrip, PreKeepsSourceLines) {
  LineList r = Html({"<PRE>", "  x  y", "", "z</PRE>", "p", "q<br>"});
  // The line that closes PRE is no longer under it: it joins what follows.
  EXPECT_EQ(r, (LineList{"", "", "  x  y", "", "zpq"}));
  EXPECT_EQ(Html({"<pre>a<b>", "</pre>"}), (LineList{"a", ""}));
}

TEST(HtmlStrip, EntitiesInAnyCaseOneAfterTheOther) {
  EXPECT_EQ(Html({"&LT;b&gt; &Amp; &quot;q&QUOT; &reg;&copy;&NbSp;x<br>"}).at(0), "<b> & \"q\" (R)(C) x");
  // One pass: what an entity becomes is text, never decoded again.
  EXPECT_EQ(Html({"&amp;lt; &amp;quot; &amp;amp;<br>"}).at(0), "&lt; &quot; &amp;");
  EXPECT_EQ(Html({"&&amp;&lt&gt;<br>"}).at(0), "&&&lt>");
  EXPECT_EQ(Html({"&#65; &hellip;<br>"}).at(0), "&#65; &hellip;");
  // The tag characters never occur inside a double-byte character.
  EXPECT_EQ(Html({S("表<b>示</b>ソ&amp;<br>")}).at(0), S("表示ソ&"));
}

TEST(HtmlStrip, CancelKeepsTheOutputSoFar) {
  LineList in{"a<br>", "b<br>", "c &amp; d<br>", "e<br>"};
  size_t asked = 0;
  THtmlResult r = StripHtml(in, [&](size_t done, size_t total) {
    EXPECT_EQ(total, 4u);
    EXPECT_EQ(done, asked++);
    return done < 3;
  });
  EXPECT_TRUE(r.aborted);
  // No empty line at index 1 and no entities resolved after a cancel.
  EXPECT_EQ(r.lines, (LineList{"a", "b", "c &amp; d", S("中断しました！")}));
  r = StripHtml(in, [](size_t, size_t) { return false; });
  EXPECT_EQ(r.lines, (LineList{S("中断しました！")}));
  // The variants do not run after a cancel either.
  r = StripHtmlVariant({"a<br>", "", "b<br>"}, HtmlVariant::Empty, [](size_t d, size_t) { return d < 1; });
  EXPECT_EQ(r.lines, (LineList{"a", S("中断しました！")}));
}

TEST(HtmlStrip, PiecewiseEqualsWhole) {
  THtmlStripper s;
  s.AddLine("a<br>b");
  EXPECT_EQ(s.Output(), (LineList{"a"}));
  s.AddLine("c<p>");
  EXPECT_EQ(s.Output(), (LineList{"a", "bc"}));
  EXPECT_EQ(s.Finish(), Html({"a<br>b", "c<p>"}));
}

TEST(HtmlStrip, LongTaglessRunsStayLinear) {
  // 20000 source lines with no line-breaking tag build one long buffer.
  LineList in(20000, std::string(50, 'x') + "<b>y</b>");
  LineList r = Html(in);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].size(), 20000u * 51);
}

TEST(HtmlStrip, Variants) {
  LineList in{"<td>\t a\t</td>", "<p>", "   ", "<br>b"};
  EXPECT_EQ(StripHtmlVariant(in, HtmlVariant::TabTrimEmpty).lines, (LineList{"a", "b"}));
  EXPECT_EQ(StripHtmlVariant(in, HtmlVariant::TabEmpty).lines, (LineList{" a", "   ", "b"}));
  EXPECT_EQ(StripHtmlVariant(in, HtmlVariant::Empty).lines, (LineList{"\t a\t", "   ", "b"}));
}

TEST(TexStrip, TheSectionExampleAndPreamble) {
  EXPECT_EQ(StripTex("\\section{Intro} % comment"), "{Intro} ");
  std::string doc =
      "\\documentclass[a4j]{jarticle}\r\n"
      "\\usepackage{graphicx}\r\n"
      "\\pagestyle{empty}\r\n"
      "\\begin{document}\r\n"
      "\\vspace{3mm}\r\n" +
      S("本文\\textbf{太字}です。\\日本語命令") +
      "\r\n"
      "50\\% off\r\n"
      "\\end{document}";
  EXPECT_EQ(StripTex(doc), "\r\n\r\n\r\n\r\n\r\n" + S("本文{太字}です。") + "\r\n50% off\r\n");
  // "\\%" is a percent sign, not a comment; the second byte of 表 (5C)
  // escapes nothing.
  EXPECT_EQ(StripTex("50\\% of it % note\r\nnext"), "50% of it \r\nnext");
  EXPECT_EQ(StripTex(S("表%comment")), S("表"));
  // The expressions are greedy: from the first brace to the last one of the line.
  EXPECT_EQ(StripTex("\\hspace{1em}x{y} z"), " z");
  EXPECT_EQ(StripTex("a{}b[]c{x}"), "abc{x}");
}

TEST(TexStrip, BracesInsideDoubleByteCharactersStay) {
  // ボ is 83 7B: its second byte is "{", yet ボ} is no "{}".
  std::string s = S("ボ}");
  EXPECT_EQ(StripTex(s), s);
  EXPECT_EQ(StripTex(S("ボ{}")), S("ボ"));
  // The window's own engine object gives the same and keeps its cache.
  TAWKStr awk;
  EXPECT_EQ(StripTex("\\emph{x}%c", awk), "{x}");
  EXPECT_GT(awk.CacheCount(), 1);
  EXPECT_EQ(StripTex(LineList{"\\it a", "b % c"}), (LineList{" a", "b "}));
}

}  // namespace
}  // namespace navirt
