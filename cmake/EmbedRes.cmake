# Writes the source that embeds a .res image (the assembler's .incbin) and registers it with the resource
# functions. The image's digest stands in the source, so the source changes whenever the image does.
file(SHA256 ${IN} digest)
file(WRITE ${OUT} "// Generated: the compiled resources ${SYMBOL}.res, registered at start-up.\n"
  "#include \"win32/resources.h\"\n\n"
  "__asm__(\".pushsection .rodata.dovemark_res_${SYMBOL}, \\\"a\\\", @progbits\\n\"\n"
  "        \".balign 4\\n\"\n"
  "        \".globl dovemark_res_${SYMBOL}_begin\\n\"\n"
  "        \".hidden dovemark_res_${SYMBOL}_begin\\n\"\n"
  "        \"dovemark_res_${SYMBOL}_begin:\\n\"\n"
  "        \".incbin \\\"${IN}\\\"  # sha256 ${digest}\\n\"\n"
  "        \".globl dovemark_res_${SYMBOL}_end\\n\"\n"
  "        \".hidden dovemark_res_${SYMBOL}_end\\n\"\n"
  "        \"dovemark_res_${SYMBOL}_end:\\n\"\n"
  "        \".byte 0\\n\"\n"
  "        \".popsection\\n\");\n\n"
  "extern \"C\" const unsigned char dovemark_res_${SYMBOL}_begin[];\n"
  "extern \"C\" const unsigned char dovemark_res_${SYMBOL}_end[];\n\n"
  "namespace {\n"
  "const bool kRegistered_${SYMBOL} = res::RegisterImage(dovemark_res_${SYMBOL}_begin,\n"
  "    static_cast<size_t>(dovemark_res_${SYMBOL}_end - dovemark_res_${SYMBOL}_begin));\n"
  "}\n")
