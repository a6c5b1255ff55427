#pragma once
// Helpers of the control set for wide (UTF-16) text: positions and searches
// in wide strings, zero-terminated buffer routines, trimming, quoting, case
// conversion by the control set's own case table, and conversion between
// UTF-16 and UTF-8.
//
// Positions in wide strings are 1-based; 0 means "not found". Buffer routines
// work on zero-terminated arrays of 16-bit units, read a null pointer as an
// empty text, and trust the caller for the size of the destination. Counts
// are in units, not bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/WideString.h"

// --- Wide strings -----------------------------------------------------------

// Position of the first occurrence of sub in s; 0 when sub is empty, longer
// than s, or absent.
int WidePos(const WideString& sub, const WideString& s);
// Position of the last occurrence of sub in s; 0 when either is empty, sub is
// longer, or absent.
int WideLastPos(const WideString& sub, const WideString& s);

// Substring: an index below 1 counts as 1; at most the units up to the end;
// empty when the index lies beyond the end or count is 0 or less.
WideString WideCopy(const WideString& s, int index, int count);
// Removes up to count units from index; nothing when index is below 1 or
// beyond the end, or count is 0 or less.
void WideDelete(WideString& s, int index, int count);
// Inserts src into s before index; an index below 1 inserts at the front, one
// beyond the end appends.
void WideInsert(const WideString& src, WideString& s, int index);

// Remove the units below 33 (controls and blank) from both ends, the front or
// the end.
WideString WideTrim(const WideString& s);
WideString WideTrimLeft(const WideString& s);
WideString WideTrimRight(const WideString& s);

// --- Zero-terminated buffers --------------------------------------------------

// First (last) unit equal to c, the terminator included in the search, so
// c = 0 finds the terminator; null when absent.
const char16_t* WideStrScan(const char16_t* p, char16_t c);
char16_t* WideStrScan(char16_t* p, char16_t c);
const char16_t* WideStrRScan(const char16_t* p, char16_t c);
char16_t* WideStrRScan(char16_t* p, char16_t c);

// Number of units before the terminator; pointer to the terminator (null for
// a null p).
std::size_t WideStrLen(const char16_t* p);
const char16_t* WideStrEnd(const char16_t* p);
char16_t* WideStrEnd(char16_t* p);

// Ordinal comparison: the difference of the first differing units taken as
// unsigned values, 0 when equal. The second looks at no more than n units.
int WideStrComp(const char16_t* a, const char16_t* b);
int WideStrLComp(const char16_t* a, const char16_t* b, std::size_t n);

// Copy src with its terminator; returns dst.
char16_t* WideStrCopy(char16_t* dst, const char16_t* src);
// Copy src with its terminator; returns the terminator's position in dst.
char16_t* WideStrECopy(char16_t* dst, const char16_t* src);
// Copy at most n units of src and a terminator; returns dst.
char16_t* WideStrLCopy(char16_t* dst, const char16_t* src, std::size_t n);
// Copy s up to its first zero unit, and a terminator; returns dst.
char16_t* WideStrPCopy(char16_t* dst, const WideString& s);
// Append src to dst; the second keeps the length of dst at most n units
// (without its terminator). Both return dst.
char16_t* WideStrCat(char16_t* dst, const char16_t* src);
char16_t* WideStrLCat(char16_t* dst, const char16_t* src, std::size_t n);

// Copy n units, correct for overlapping areas; nothing for n of 0 or less.
// Mind the order of the arguments: destination first in the first, source
// first in the second.
char16_t* WideStrMove(char16_t* dst, const char16_t* src, int n);
void WideMove(const char16_t* src, char16_t* dst, int n);

// Fill n units with c; nothing for n of 0 or less.
void FillWideChar(char16_t* p, int n, char16_t c);
void FillWord(char16_t* p, int n, std::uint16_t value);

// Wide string of the zero-terminated text p; null gives empty.
WideString WideStrPas(const char16_t* p);
// s becomes n units long, copied from p, or zero units when p is null. A
// negative n gives an empty s.
void SetWideString(WideString& s, const char16_t* p, int n);

// --- Comparison and case ---------------------------------------------------

// WideStrComp of the two strings, each read up to its first zero unit.
int CompareWideStr(const WideString& a, const WideString& b);
bool SameWideStr(const WideString& a, const WideString& b);
// Ordinal and case-sensitive despite its name: -1, 0 or 1 by the first
// differing unit; a proper prefix comes first.
int WideCompareText(const WideString& a, const WideString& b);

// Case conversion by the control set's case table; both keep the length.
WideString WideUpperCase(const WideString& s);
WideString WideLowerCase(const WideString& s);
WideString uni2uppers(const WideString& s);
WideString uni2lowers(const WideString& s);
// True when WideUpperCase of both gives equal strings.
bool WideSameText(const WideString& a, const WideString& b);

// --- Quoting -----------------------------------------------------------------

// s enclosed in q, every q inside doubled.
WideString WideQuotedStr(const WideString& s, char16_t q);
// Reads a quoted token at p and moves p past it. When the unit at p is not q
// the result is empty and p stays. A doubled q inside the token stands for one
// q. A token without its closing q runs to the end of the text, and p then
// points at the terminator.
WideString WideExtractQuotedStr(const char16_t*& p, char16_t q);

// --- UTF-16 and UTF-8 --------------------------------------------------------

enum ConversionFlags { strictConversion = 0, lenientConversion = 1 };
enum ConversionResult { conversionOK = 0, sourceExhausted = 1, targetExhausted = 2, sourceIllegal = 3 };

// Both conversions start target empty, stop at the first problem and keep what
// was written up to it. With bom set, the target is given a leading byte-order
// mark unless it already begins with one.
ConversionResult ConvertUTF16toUTF8(const WideString& source, std::string& target, ConversionFlags flags, bool bom);
ConversionResult ConvertUTF8toUTF16(const std::string& source, WideString& target, ConversionFlags flags, bool bom);
// True when the sequence that begins source is complete within length bytes
// and well formed.
bool isLegalUTF8Sequence(const unsigned char* source, size_t length);
// UTF-8 text that begins with a byte-order mark to wide, without the mark; a
// sequence cut short at the end is dropped. Unmarked text, and marked text
// that is not well-formed UTF-8, is taken as narrow text in the system code
// page.
WideString ConvertUTF8String(const std::string& s);
