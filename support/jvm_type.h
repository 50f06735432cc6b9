#pragma once

// Which VM flavour the runtime search looks for ("JVM Type").
enum class JvmType { client = 0, server = 1, favorServer = 2 };
