# The picture tests make WebP files with libwebp's encoder.
target_link_libraries(${area}_tests PRIVATE PkgConfig::WEBP)
