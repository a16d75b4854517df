# The browser's build: clang for WebAssembly with the WASI C library and libc++ from Debian's
# packages (clang-22, lld-22, libc++-22-dev-wasm32, libc++abi-22-dev-wasm32, wasi-libc), which
# are built without exceptions or threads.
set(CMAKE_SYSTEM_NAME Generic)
set(QLX_BROWSER ON)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(CMAKE_CXX_COMPILER clang++-22)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasip1)
set(CMAKE_CXX_FLAGS_INIT "-nostdinc++ -isystem /usr/lib/llvm-22/include/wasm32-wasi/c++/v1 \
-isystem /usr/include/wasm32-wasi -fno-exceptions -msimd128")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-B/usr/lib/wasm32-wasi -L/usr/lib/llvm-22/lib/wasm32-wasi \
-L/usr/lib/wasm32-wasi")
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
