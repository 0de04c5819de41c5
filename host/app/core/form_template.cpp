#include "host/app/core/form_template.h"

#include <string.h>

namespace volmar {

using namespace host::form;

namespace {

// Reads little-endian words and texts from a byte span, remembering the
// first overrun.
class Reader {
 public:
  Reader(const uint8_t *bytes, size_t size) : bytes_(bytes), size_(size) {}

  bool Word(uint16_t &value) {
    if (pos_ + 2 > size_) return Fail();
    value = static_cast<uint16_t>(bytes_[pos_] | bytes_[pos_ + 1] << 8);
    pos_ += 2;
    return true;
  }
  bool Words(uint16_t *values, size_t count) {
    for (size_t i = 0; i < count; ++i)
      if (!Word(values[i])) return false;
    return true;
  }
  bool Text(std::string &text) {
    const void *zero = pos_ < size_ ? memchr(bytes_ + pos_, 0, size_ - pos_) : nullptr;
    if (zero == nullptr) return Fail();
    size_t end = static_cast<const uint8_t *>(zero) - bytes_;
    text.assign(reinterpret_cast<const char *>(bytes_ + pos_), end - pos_);
    pos_ = end + 1;
    return true;
  }
  bool Skip(size_t count) {
    if (pos_ + count > size_) return Fail();
    pos_ += count;
    return true;
  }
  size_t pos() const { return pos_; }

 private:
  bool Fail() { return false; }

  const uint8_t *bytes_;
  size_t size_;
  size_t pos_ = 0;
};

bool Failure(std::string &error, const std::string &reason) {
  error = reason;
  return false;
}

// The ten words every element starts with: kind, id, flags, hot key,
// column, row, width, height and two zero words.
bool ReadElementHead(Reader &reader, FormElement &element) {
  uint16_t words[10];
  if (!reader.Words(words, 10)) return false;
  element.kind = words[0];
  element.id = words[1];
  element.flags = words[2];
  element.hotKey = words[3];
  element.column = words[4];
  element.row = words[5];
  element.width = words[6];
  element.height = words[7];
  return true;
}

bool ReadField(Reader &reader, FormElement &field, size_t &recordOffset, std::string &error) {
  uint16_t marker, length;
  if (!reader.Word(marker) || !reader.Word(length)) return Failure(error, "field cut short");
  constexpr size_t kHeadBytes = kElementHeadBytes + kFieldGapBytes;
  if (length < kHeadBytes + 4 || (length - kHeadBytes) % 2 != 0)
    return Failure(error, "field length " + std::to_string(length) + " does not fit a field");
  if (!ReadElementHead(reader, field) || !reader.Skip(kFieldGapBytes)) return Failure(error, "field cut short");
  if (field.kind != kField) return Failure(error, "field without kind 5");
  field.data.resize((length - kHeadBytes) / 2);
  if (!reader.Words(field.data.data(), field.data.size()) || !reader.Skip(1))
    return Failure(error, "field data cut short");

  field.fieldType = field.data[1];
  if (field.fieldType == kTextField) {
    if (field.data[0] == 0 || field.data[0] > 4096)
      return Failure(error, "text field size " + std::to_string(field.data[0]));
    field.maxChars = field.data[0];
    field.recordSize = field.data[0] + 1u;
  } else if (field.fieldType == kNumberField) {
    field.maxChars = 5;
    field.recordSize = 2;
  } else {
    return Failure(error, "field type " + std::to_string(field.fieldType) + " unknown");
  }
  field.recordOffset = recordOffset;
  recordOffset += field.recordSize;
  return true;
}

}  // namespace

size_t FormTemplateSize(const uint8_t *bytes) {
  if (bytes == nullptr) return 0;
  uint32_t count = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
  if (count > kMaxFormTemplateBytes - 4) return 0;
  return 4 + count;
}

bool ReadFormTemplate(const uint8_t *bytes, size_t available, FormTemplate &form,
                      std::string &error) {
  form = FormTemplate{};
  if (bytes == nullptr || available < 4) return Failure(error, "no template");
  size_t size = FormTemplateSize(bytes);
  if (size == 0 || size > available) return Failure(error, "template count beyond its bytes");
  Reader reader(bytes + 4, size - 4);

  uint16_t restBytes, count;
  if (!reader.Word(restBytes) || !reader.Word(count)) return Failure(error, "template cut short");
  if (restBytes != size - 8)
    return Failure(error, "element byte count " + std::to_string(restBytes) + ", expected " +
                              std::to_string(size - 8));
  uint16_t header[10];
  if (!reader.Words(header, 10) || !reader.Text(form.title))
    return Failure(error, "form header cut short");
  if (header[0] != kHeaderMark) return Failure(error, "form header does not start with 0xFFFF");
  form.width = header[6];
  form.height = header[7];
  if (form.width == 0 || form.height == 0 || form.width > 250 || form.height > 100)
    return Failure(error, "form size " + std::to_string(form.width) + "x" + std::to_string(form.height));

  size_t recordOffset = 0;
  for (uint16_t i = 0; i < count; ++i) {
    FormElement element;
    uint16_t kind;
    Reader peek = reader;
    if (!peek.Word(kind)) return Failure(error, "element " + std::to_string(i + 1) + " missing");
    if (kind == kField) {
      if (!ReadField(reader, element, recordOffset, error)) return false;
    } else if (kind == kButton || kind == kLabel || kind == kNote) {
      if (!ReadElementHead(reader, element) || !reader.Text(element.text))
        return Failure(error, "element " + std::to_string(i + 1) + " cut short");
    } else {
      return Failure(error, "element " + std::to_string(i + 1) + " of unknown kind " +
                                std::to_string(kind));
    }
    form.elements.push_back(std::move(element));
  }
  form.recordSize = recordOffset;
  return true;
}

}  // namespace volmar
