# FORMEL_SANITIZE: AddressSanitizer (with leak detection) and
# UndefinedBehaviorSanitizer, float-cast-overflow included, on everything.
if(FORMEL_SANITIZE)
  set(_formel_san -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all
      -fno-omit-frame-pointer)
  add_compile_options(${_formel_san})
  add_link_options(${_formel_san})
endif()
