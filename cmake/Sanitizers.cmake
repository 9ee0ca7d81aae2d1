# FORMEL_SANITIZE: AddressSanitizer (with leak detection) and
# UndefinedBehaviorSanitizer, float-cast-overflow included, on everything.
if(FORMEL_SANITIZE)
  set(_formel_san -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all
      -fno-omit-frame-pointer)
  add_compile_options(${_formel_san})
  add_link_options(${_formel_san})
endif()
# clang links a C program with the C half of the sanitizer runtime only; a
# C host of the C++ library needs the C++ half too (vptr checks).
if(FORMEL_SANITIZE AND CMAKE_C_COMPILER_ID MATCHES "Clang")
  add_link_options("$<$<LINK_LANGUAGE:C>:-fsanitize-link-c++-runtime;-lstdc++>")
endif()

# FORMEL_TSAN: ThreadSanitizer, for the suites that run evaluators on many
# threads at once (it cannot be combined with AddressSanitizer).
option(FORMEL_TSAN "Build with ThreadSanitizer" OFF)
if(FORMEL_TSAN)
  if(FORMEL_SANITIZE)
    message(FATAL_ERROR "FORMEL_TSAN and FORMEL_SANITIZE exclude each other")
  endif()
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
