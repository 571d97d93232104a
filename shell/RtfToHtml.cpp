#include "shell/RtfToHtml.h"

#include "platform/CodePage.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tarnwick::shell {

namespace {

// Groups deeper than this are read but not tracked; no real document nests so deep.
constexpr std::size_t kMaxDepth = 256;
constexpr int kDefaultHalfPoints = 24;

struct Token {
  enum Kind { Text, Control, Symbol, Open, Close, End } kind = End;
  std::string word;  // control word, or the escaped symbol
  std::optional<long> parameter;
  char text = 0;
};

// Reads tokens from the bytes it was given, never beyond them.
class Tokenizer {
 public:
  explicit Tokenizer(std::string_view rtf) : rtf_(rtf) {}

  Token next() {
    Token t;
    while (pos_ < rtf_.size() && (rtf_[pos_] == '\r' || rtf_[pos_] == '\n')) ++pos_;
    if (pos_ >= rtf_.size()) return t;
    const char c = rtf_[pos_++];
    if (c == '{') {
      t.kind = Token::Open;
    } else if (c == '}') {
      t.kind = Token::Close;
    } else if (c != '\\') {
      t.kind = Token::Text;
      t.text = c;
    } else if (pos_ >= rtf_.size()) {
      t.kind = Token::End;
    } else if (isLetter(rtf_[pos_])) {
      t.kind = Token::Control;
      while (pos_ < rtf_.size() && isLetter(rtf_[pos_]) && t.word.size() < 32) t.word += rtf_[pos_++];
      bool negative = false;
      if (pos_ < rtf_.size() && rtf_[pos_] == '-') {
        negative = true;
        ++pos_;
      }
      if (pos_ < rtf_.size() && isDigit(rtf_[pos_])) {
        long value = 0;
        int digits = 0;
        while (pos_ < rtf_.size() && isDigit(rtf_[pos_])) {
          if (digits++ < 10) value = value * 10 + (rtf_[pos_] - '0');
          ++pos_;
        }
        t.parameter = negative ? -value : value;
      }
      if (pos_ < rtf_.size() && rtf_[pos_] == ' ') ++pos_;  // the delimiter belongs to the word
    } else {
      t.kind = Token::Symbol;
      t.word = std::string(1, rtf_[pos_++]);
      if (t.word == "'") {
        // \'hh: one byte in the document's code page
        int value = 0;
        int digits = 0;
        while (digits < 2 && pos_ < rtf_.size() && hexValue(rtf_[pos_]) >= 0) {
          value = value * 16 + hexValue(rtf_[pos_++]);
          ++digits;
        }
        t.parameter = value;
      }
    }
    return t;
  }

 private:
  static bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
  static bool isDigit(char c) { return c >= '0' && c <= '9'; }
  static int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  std::string_view rtf_;
  std::size_t pos_ = 0;
};

struct Style {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  int font = -1;
  int halfPoints = kDefaultHalfPoints;
  int colour = 0;
  bool operator==(const Style&) const = default;
};

enum class Destination { Body, Skip, FontTable, ColourTable, HtmlTag };

struct GroupState {
  Style style;
  Destination destination = Destination::Body;
  bool htmlSuppressed = false;  // inside \htmlrtf ... \htmlrtf0
  int unicodeSkip = 1;          // \ucN: bytes that stand for one \u character
};

void appendEscaped(std::u16string& out, char16_t c) {
  switch (c) {
    case u'<': out += u"&lt;"; break;
    case u'>': out += u"&gt;"; break;
    case u'&': out += u"&amp;"; break;
    case u'"': out += u"&quot;"; break;
    default: out += c;
  }
}

bool isSkippedDestination(const std::string& word) {
  static const char* const kSkipped[] = {"stylesheet",
                                         "info",
                                         "pict",
                                         "object",
                                         "header",
                                         "footer",
                                         "headerl",
                                         "headerr",
                                         "footerl",
                                         "footerr",
                                         "footnote",
                                         "fldinst",
                                         "themedata",
                                         "colorschememapping",
                                         "latentstyles",
                                         "datastore",
                                         "xmlnstbl",
                                         "listtable",
                                         "listoverridetable",
                                         "rsidtbl",
                                         "generator",
                                         "mmathPr",
                                         "filetbl",
                                         "revtbl",
                                         "bkmkstart",
                                         "bkmkend",
                                         "nonshppict"};
  for (const char* skipped : kSkipped)
    if (word == skipped) return true;
  return false;
}

class Converter {
 public:
  explicit Converter(std::string_view rtf) : tokens_(rtf) {}

  std::u16string run(bool html) {
    html_ = html;
    if (!html_) out_ = u"<p>";
    stack_.push_back(GroupState{});
    bool starred = false;
    for (Token t = tokens_.next(); t.kind != Token::End; t = tokens_.next()) {
      switch (t.kind) {
        case Token::Open:
          stack_.push_back(stack_.back());
          starred = false;
          break;
        case Token::Close:
          closeGroup();
          if (stack_.size() > 1) stack_.pop_back();
          break;
        case Token::Text: byte(static_cast<unsigned char>(t.text)); break;
        case Token::Symbol: symbol(t, starred); break;
        case Token::Control:
          control(t, starred);
          starred = false;
          break;
        case Token::End: break;
      }
      if (stack_.size() > kMaxDepth) stack_.resize(kMaxDepth);
    }
    flushBytes();
    if (!html_) {
      closeSpan();
      out_ += u"</p>";
      return u"<html><body>" + out_ + u"</body></html>";
    }
    return out_;
  }

 private:
  GroupState& state() { return stack_.back(); }

  bool bodyVisible() {
    const GroupState& s = state();
    if (html_)
      return (s.destination == Destination::Body && !s.htmlSuppressed) || s.destination == Destination::HtmlTag;
    return s.destination == Destination::Body;
  }

  void closeGroup() {
    flushBytes();
    GroupState& s = state();
    if (s.destination == Destination::FontTable && stack_.size() >= 2 && pendingFont_ >= 0) {
      // a font entry's group ends its name
      fonts_[pendingFont_] = fontName_;
      pendingFont_ = -1;
      fontName_.clear();
    }
  }

  void symbol(const Token& t, bool& starred) {
    if (t.word == "*") {
      starred = true;
      return;
    }
    if (t.word == "'") {
      byte(static_cast<unsigned char>(t.parameter.value_or(0)));
      return;
    }
    if (t.word == "\\" || t.word == "{" || t.word == "}") {
      byte(static_cast<unsigned char>(t.word[0]));
      return;
    }
    if (t.word == "~") emitChar(u'\u00A0');
    if (t.word == "-" || t.word == "_") emitChar(u'-');
  }

  void control(const Token& t, bool starred) {
    GroupState& s = state();
    const std::string& w = t.word;
    const long p = t.parameter.value_or(1);
    if (w == "htmltag" || w == "mhtmltag") {
      flushBytes();
      s.destination = Destination::HtmlTag;
      return;
    }
    if (starred || isSkippedDestination(w)) {
      flushBytes();
      s.destination = Destination::Skip;
      return;
    }
    if (w == "fonttbl") {
      s.destination = Destination::FontTable;
      return;
    }
    if (w == "colortbl") {
      s.destination = Destination::ColourTable;
      colours_.clear();
      colourPending_ = {};
      return;
    }
    if (s.destination == Destination::ColourTable) {
      if (w == "red") colourPending_.r = static_cast<int>(p);
      if (w == "green") colourPending_.g = static_cast<int>(p);
      if (w == "blue") colourPending_.b = static_cast<int>(p);
      return;
    }
    if (s.destination == Destination::FontTable) {
      if (w == "f") {
        flushBytes();
        pendingFont_ = static_cast<int>(p);
        fontName_.clear();
      }
      return;
    }
    if (w == "htmlrtf") {
      flushBytes();
      s.htmlSuppressed = t.parameter.value_or(1) != 0;
      return;
    }
    if (w == "uc") {
      s.unicodeSkip = static_cast<int>(p < 0 ? 0 : (p > 8 ? 8 : p));
      return;
    }
    if (w == "u") {
      flushBytes();
      long code = t.parameter.value_or(0);
      if (code < 0) code += 65536;
      emitChar(static_cast<char16_t>(code));
      skipBytes_ = s.unicodeSkip;
      return;
    }
    if (w == "par" || w == "sect") {
      flushBytes();
      if (html_) {
        if (bodyVisible()) out_ += u"\r\n";
      } else if (s.destination == Destination::Body) {
        closeSpan();
        out_ += u"</p><p>";
      }
      return;
    }
    if (w == "line") {
      flushBytes();
      if (html_) {
        if (bodyVisible()) out_ += u"\r\n";
      } else if (s.destination == Destination::Body) {
        closeSpan();
        out_ += u"<br>";
      }
      return;
    }
    if (w == "tab") {
      emitChar(u'\t');
      return;
    }
    if (w == "emdash") emitChar(u'\u2014');
    if (w == "endash") emitChar(u'\u2013');
    if (w == "bullet") emitChar(u'\u2022');
    if (w == "lquote") emitChar(u'\u2018');
    if (w == "rquote") emitChar(u'\u2019');
    if (w == "ldblquote") emitChar(u'\u201C');
    if (w == "rdblquote") emitChar(u'\u201D');
    if (html_) return;
    // Character formatting of plain RTF.
    flushBytes();
    if (w == "b") s.style.bold = t.parameter.value_or(1) != 0;
    if (w == "i") s.style.italic = t.parameter.value_or(1) != 0;
    if (w == "ul") s.style.underline = t.parameter.value_or(1) != 0;
    if (w == "ulnone") s.style.underline = false;
    if (w == "f") s.style.font = static_cast<int>(p);
    if (w == "fs") s.style.halfPoints = static_cast<int>(p > 0 && p < 2000 ? p : kDefaultHalfPoints);
    if (w == "cf") s.style.colour = static_cast<int>(p);
    if (w == "plain") s.style = Style{};
  }

  void byte(unsigned char b) {
    if (skipBytes_ > 0) {
      --skipBytes_;
      return;
    }
    GroupState& s = state();
    if (s.destination == Destination::ColourTable) {
      if (b == ';') {
        colours_.push_back(colourPending_);
        colourPending_ = {};
      }
      return;
    }
    if (s.destination == Destination::FontTable) {
      if (pendingFont_ >= 0) {
        if (b == ';') {
          fonts_[pendingFont_] = fontName_;
        } else {
          fontName_ += static_cast<char>(b);
        }
      }
      return;
    }
    pending_ += static_cast<char>(b);
  }

  void flushBytes() {
    if (pending_.empty()) return;
    const std::u16string text = windows1252ToUtf16(pending_);
    pending_.clear();
    for (char16_t c : text) emitChar(c);
  }

  void emitChar(char16_t c) {
    if (!pending_.empty()) {
      // keep the order of code-page bytes and characters given directly
      std::string bytes;
      bytes.swap(pending_);
      for (char16_t d : windows1252ToUtf16(bytes)) emitChar(d);
    }
    if (!bodyVisible()) return;
    if (html_) {
      out_ += c;  // the recovered HTML is taken as it stands
      return;
    }
    openSpan();
    if (c == u'\t')
      out_ += u"&#9;";
    else
      appendEscaped(out_, c);
  }

  void openSpan() {
    const Style& style = state().style;
    if (spanOpen_ && style == spanStyle_) return;
    closeSpan();
    std::string css;
    if (style.bold) css += "font-weight:bold;";
    if (style.italic) css += "font-style:italic;";
    if (style.underline) css += "text-decoration:underline;";
    if (const auto font = fonts_.find(style.font); font != fonts_.end() && !font->second.empty()) {
      std::string name;
      for (char c : font->second)
        if (c != '"' && c != '<' && c != '>' && c != '&' && c != ';') name += c;
      css += "font-family:'" + name + "';";
    }
    if (style.halfPoints != kDefaultHalfPoints) css += "font-size:" + std::to_string(style.halfPoints / 2) + "pt;";
    if (style.colour > 0 && static_cast<std::size_t>(style.colour) < colours_.size()) {
      const Colour& c = colours_[style.colour];
      css += "color:rgb(" + std::to_string(c.r & 255) + "," + std::to_string(c.g & 255) + "," +
             std::to_string(c.b & 255) + ");";
    }
    spanTag_ = !css.empty();
    if (spanTag_) out_ += u"<span style=\"" + windows1252ToUtf16(css) + u"\">";
    spanOpen_ = true;
    spanStyle_ = style;
  }

  void closeSpan() {
    if (!spanOpen_) return;
    if (spanTag_) out_ += u"</span>";
    spanOpen_ = false;
  }

  struct Colour {
    int r = 0, g = 0, b = 0;
  };

  Tokenizer tokens_;
  bool html_ = false;
  std::vector<GroupState> stack_;
  std::u16string out_ = u"";
  std::string pending_;
  int skipBytes_ = 0;
  std::unordered_map<int, std::string> fonts_;
  int pendingFont_ = -1;
  std::string fontName_;
  std::vector<Colour> colours_;
  Colour colourPending_;
  bool spanOpen_ = false;
  bool spanTag_ = false;
  Style spanStyle_;
};

}  // namespace

bool rtfCarriesHtml(std::string_view rtf) {
  // \fromhtml appears in the document header, before the first body text.
  const std::string_view head = rtf.substr(0, std::min<std::size_t>(rtf.size(), 1024));
  const std::size_t at = head.find("\\fromhtml");
  return at != std::string_view::npos && at + 9 < head.size() && head[at + 9] == '1';
}

std::u16string rtfToHtml(std::string_view rtf) { return Converter(rtf).run(rtfCarriesHtml(rtf)); }

}  // namespace tarnwick::shell
