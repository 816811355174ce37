-- Statistics database 用药统计.dat: one row per priced line of a settled prescription.

CREATE TABLE "统计" (
    "ID号" TEXT COLLATE NOCASE CHECK (length("ID号") <= 50),
    "名称" TEXT COLLATE NOCASE CHECK (length("名称") <= 50),
    "数量" TEXT COLLATE NOCASE CHECK (length("数量") <= 5),
    "单位" TEXT COLLATE NOCASE CHECK (length("单位") <= 5),
    "单价" TEXT COLLATE NOCASE CHECK (length("单价") <= 10),
    "金额" TEXT COLLATE NOCASE CHECK (length("金额") <= 10),
    "斗位" TEXT COLLATE NOCASE CHECK (length("斗位") <= 5),
    "分类" TEXT COLLATE NOCASE CHECK (length("分类") <= 10),
    "备用1" TEXT COLLATE NOCASE CHECK (length("备用1") <= 200),
    "备用2" TEXT COLLATE NOCASE CHECK (length("备用2") <= 200),
    "日期" DATE CHECK ("日期" IS NULL OR date("日期") IS "日期"),
    "医师" TEXT COLLATE NOCASE CHECK (length("医师") <= 20)
);

CREATE INDEX "统计_ID号" ON "统计" ("ID号");
