#pragma once

// The engines the two databases can live on: SQLite files (the embedded default) or a
// PostgreSQL server shared by the clinic's computers.
enum class SqlEngine { Sqlite, Postgres };
