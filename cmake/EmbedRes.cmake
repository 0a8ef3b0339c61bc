# Writes a .res image as a C++ byte array that registers itself with the resource functions.
file(READ ${IN} hex HEX)
string(LENGTH "${hex}" len)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
string(MAKE_C_IDENTIFIER "${SYMBOL}" sym)
file(WRITE ${OUT} "// Generated from ${SYMBOL}.res: the compiled resources, registered at start-up.\n"
  "#include \"win32/resources.h\"\n\n"
  "namespace {\n"
  "alignas(4) const unsigned char kImage_${sym}[] = {\n${bytes}0};\n"
  "const bool kRegistered_${sym} = res::RegisterImage(kImage_${sym}, sizeof(kImage_${sym}) - 1);\n"
  "}\n")
