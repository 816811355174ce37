-- Main database 数据库.dat.
-- Every field is text except the date column "5"; widths are enforced by CHECKs so that
-- no caller can store what does not fit. NOCASE makes =, LIKE and ORDER BY blind to
-- ASCII letter case. Dates are stored as yyyy-mm-dd text, so BETWEEN includes both ends.

CREATE TABLE "设置" (
    "密码" TEXT COLLATE NOCASE CHECK (length("密码") <= 20),
    "单位名称" TEXT COLLATE NOCASE CHECK (length("单位名称") <= 50),
    "医师" TEXT COLLATE NOCASE CHECK (length("医师") <= 50),
    "科别" TEXT COLLATE NOCASE CHECK (length("科别") <= 50),
    "发药人" TEXT COLLATE NOCASE CHECK (length("发药人") <= 50),
    "备用1" TEXT COLLATE NOCASE CHECK (length("备用1") <= 50),
    "备用2" TEXT COLLATE NOCASE CHECK (length("备用2") <= 50),
    "备用3" TEXT COLLATE NOCASE CHECK (length("备用3") <= 50),
    "左边距" TEXT COLLATE NOCASE CHECK (length("左边距") <= 10),
    "上边距" TEXT COLLATE NOCASE CHECK (length("上边距") <= 10),
    "自动打印" TEXT COLLATE NOCASE CHECK (length("自动打印") <= 5),
    "默认打印机" TEXT COLLATE NOCASE CHECK (length("默认打印机") <= 50),
    "处方打印机" TEXT COLLATE NOCASE CHECK (length("处方打印机") <= 50),
    "左边距1" TEXT COLLATE NOCASE CHECK (length("左边距1") <= 10),
    "上边距1" TEXT COLLATE NOCASE CHECK (length("上边距1") <= 10),
    "左边距2" TEXT COLLATE NOCASE CHECK (length("左边距2") <= 10),
    "上边距2" TEXT COLLATE NOCASE CHECK (length("上边距2") <= 10),
    "打印机2" TEXT COLLATE NOCASE CHECK (length("打印机2") <= 50),
    "打印机3" TEXT COLLATE NOCASE CHECK (length("打印机3") <= 50),
    "费别" TEXT COLLATE NOCASE CHECK (length("费别") <= 10),
    "处方字体" TEXT COLLATE NOCASE CHECK (length("处方字体") <= 20),
    "处方字号" TEXT COLLATE NOCASE CHECK (length("处方字号") <= 5),
    "日志上边距" TEXT COLLATE NOCASE CHECK (length("日志上边距") <= 5),
    "日志左边距" TEXT COLLATE NOCASE CHECK (length("日志左边距") <= 5)
);

CREATE TABLE "档案" (
    "序号" TEXT COLLATE NOCASE CHECK (length("序号") <= 50),
    "0" TEXT COLLATE NOCASE CHECK (length("0") <= 50),
    "1" TEXT COLLATE NOCASE CHECK (length("1") <= 50),
    "2" TEXT COLLATE NOCASE CHECK (length("2") <= 50),
    "3" TEXT COLLATE NOCASE CHECK (length("3") <= 10),
    "4" TEXT COLLATE NOCASE CHECK (length("4") <= 50),
    "5" DATE CHECK ("5" IS NULL OR date("5") IS "5"),
    "6" TEXT COLLATE NOCASE CHECK (length("6") <= 50),
    "7" TEXT COLLATE NOCASE CHECK (length("7") <= 50),
    "8" TEXT COLLATE NOCASE CHECK (length("8") <= 50),
    "9" TEXT COLLATE NOCASE CHECK (length("9") <= 50),
    "10" TEXT COLLATE NOCASE CHECK (length("10") <= 50),
    "11" TEXT COLLATE NOCASE CHECK (length("11") <= 50),
    "12" TEXT COLLATE NOCASE CHECK (length("12") <= 50),
    "13" TEXT COLLATE NOCASE CHECK (length("13") <= 50),
    "14" TEXT COLLATE NOCASE CHECK (length("14") <= 50),
    "15" TEXT COLLATE NOCASE CHECK (length("15") <= 50),
    "16" TEXT COLLATE NOCASE CHECK (length("16") <= 50),
    "17" TEXT COLLATE NOCASE CHECK (length("17") <= 50),
    "18" TEXT COLLATE NOCASE CHECK (length("18") <= 50),
    "19" TEXT COLLATE NOCASE CHECK (length("19") <= 50),
    "20" TEXT COLLATE NOCASE CHECK (length("20") <= 50),
    "21" TEXT COLLATE NOCASE CHECK (length("21") <= 50),
    "22" TEXT COLLATE NOCASE CHECK (length("22") <= 50),
    "T1" TEXT COLLATE NOCASE,
    "T2" TEXT COLLATE NOCASE,
    "T3" TEXT COLLATE NOCASE,
    "23" TEXT COLLATE NOCASE CHECK (length("23") <= 50),
    "24" TEXT COLLATE NOCASE CHECK (length("24") <= 50),
    "25" TEXT COLLATE NOCASE CHECK (length("25") <= 50),
    "26" TEXT COLLATE NOCASE CHECK (length("26") <= 50),
    "27" TEXT COLLATE NOCASE CHECK (length("27") <= 50),
    "28" TEXT COLLATE NOCASE CHECK (length("28") <= 50),
    "29" TEXT COLLATE NOCASE CHECK (length("29") <= 50),
    "30" TEXT COLLATE NOCASE CHECK (length("30") <= 50),
    "31" TEXT COLLATE NOCASE CHECK (length("31") <= 50),
    "32" TEXT COLLATE NOCASE CHECK (length("32") <= 50),
    "33" TEXT COLLATE NOCASE CHECK (length("33") <= 50),
    "34" TEXT COLLATE NOCASE CHECK (length("34") <= 50),
    "35" TEXT COLLATE NOCASE CHECK (length("35") <= 50),
    "36" TEXT COLLATE NOCASE CHECK (length("36") <= 50),
    "37" TEXT COLLATE NOCASE CHECK (length("37") <= 50),
    "38" TEXT COLLATE NOCASE CHECK (length("38") <= 50),
    "39" TEXT COLLATE NOCASE CHECK (length("39") <= 50),
    "40" TEXT COLLATE NOCASE CHECK (length("40") <= 50),
    "T4" TEXT COLLATE NOCASE,
    "T5" TEXT COLLATE NOCASE,
    "类别" TEXT COLLATE NOCASE CHECK (length("类别") <= 5),
    "发药" TEXT COLLATE NOCASE CHECK (length("发药") <= 20),
    "计价" TEXT COLLATE NOCASE,
    "病历" TEXT COLLATE NOCASE,
    "剂数" TEXT COLLATE NOCASE CHECK (length("剂数") <= 5)
);

CREATE TABLE "患者信息" (
    "序号" TEXT COLLATE NOCASE CHECK (length("序号") <= 50),
    "姓名" TEXT COLLATE NOCASE CHECK (length("姓名") <= 20),
    "性别" TEXT COLLATE NOCASE CHECK (length("性别") <= 5),
    "年龄" TEXT COLLATE NOCASE CHECK (length("年龄") <= 12),
    "医疗证号" TEXT COLLATE NOCASE CHECK (length("医疗证号") <= 50),
    "电话" TEXT COLLATE NOCASE CHECK (length("电话") <= 20),
    "住址" TEXT COLLATE NOCASE CHECK (length("住址") <= 50),
    "备用1" TEXT COLLATE NOCASE CHECK (length("备用1") <= 50),
    "备用2" TEXT COLLATE NOCASE CHECK (length("备用2") <= 50),
    "费别" TEXT COLLATE NOCASE CHECK (length("费别") <= 10),
    "诊断" TEXT COLLATE NOCASE CHECK (length("诊断") <= 50),
    "过敏史" TEXT COLLATE NOCASE CHECK (length("过敏史") <= 20)
);

CREATE TABLE "商品" (
    "ID号" TEXT COLLATE NOCASE CHECK (length("ID号") <= 50),
    "查询" TEXT COLLATE NOCASE CHECK (length("查询") <= 200),
    "用法" TEXT COLLATE NOCASE CHECK (length("用法") <= 50),
    "名称" TEXT COLLATE NOCASE CHECK (length("名称") <= 100),
    "拼音" TEXT COLLATE NOCASE CHECK (length("拼音") <= 50),
    "单位" TEXT COLLATE NOCASE CHECK (length("单位") <= 10),
    "常用量" TEXT COLLATE NOCASE CHECK (length("常用量") <= 50),
    "单价" TEXT COLLATE NOCASE CHECK (length("单价") <= 50),
    "备用1" TEXT COLLATE NOCASE CHECK (length("备用1") <= 50),
    "备用2" TEXT COLLATE NOCASE CHECK (length("备用2") <= 50),
    "备用3" TEXT COLLATE NOCASE CHECK (length("备用3") <= 50),
    "分类" TEXT COLLATE NOCASE CHECK (length("分类") <= 50),
    "斗位" TEXT COLLATE NOCASE CHECK (length("斗位") <= 10)
);

CREATE TABLE "个人模板" (
    "序号" TEXT COLLATE NOCASE CHECK (length("序号") <= 50),
    "名称" TEXT COLLATE NOCASE CHECK (length("名称") <= 50),
    "内容" TEXT COLLATE NOCASE,
    "拼音" TEXT COLLATE NOCASE CHECK (length("拼音") <= 50),
    "查询" TEXT COLLATE NOCASE CHECK (length("查询") <= 50),
    "分类" TEXT COLLATE NOCASE CHECK (length("分类") <= 10),
    "排序" TEXT COLLATE NOCASE CHECK (length("排序") <= 10)
);

CREATE TABLE "诊断" (
    "名称" TEXT COLLATE NOCASE CHECK (length("名称") <= 50),
    "拼音" TEXT COLLATE NOCASE CHECK (length("拼音") <= 50),
    "序号" TEXT COLLATE NOCASE CHECK (length("序号") <= 50)
);

CREATE TABLE "地址" (
    "名称" TEXT COLLATE NOCASE CHECK (length("名称") <= 50),
    "拼音" TEXT COLLATE NOCASE CHECK (length("拼音") <= 50),
    "序号" TEXT COLLATE NOCASE CHECK (length("序号") <= 50)
);

CREATE TABLE "用户" (
    "工号" TEXT COLLATE NOCASE CHECK (length("工号") <= 10),
    "姓名" TEXT COLLATE NOCASE CHECK (length("姓名") <= 20),
    "密码" TEXT COLLATE NOCASE CHECK (length("密码") <= 20),
    "科别" TEXT COLLATE NOCASE CHECK (length("科别") <= 10),
    "备用" TEXT COLLATE NOCASE CHECK (length("备用") <= 50)
);

CREATE INDEX "档案_序号" ON "档案" ("序号");

CREATE INDEX "地址_序号" ON "地址" ("序号");

CREATE INDEX "商品_ID号" ON "商品" ("ID号");

CREATE INDEX "商品_名称" ON "商品" ("名称");

CREATE INDEX "诊断_名称" ON "诊断" ("名称");

CREATE INDEX "诊断_序号" ON "诊断" ("序号");

CREATE INDEX "用户_姓名" ON "用户" ("姓名");
