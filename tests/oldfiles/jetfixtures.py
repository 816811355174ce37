#!/usr/bin/env python3
"""The old program's two Jet 4.0 files, written for the conversion tests.

  jetfixtures.py write DIR          the small pair with every awkward case, and expected.json
  jetfixtures.py large DIR N        a pair with N prescriptions (four statistics rows each)
  jetfixtures.py check DIR          reads the pair in DIR back with mdb-tables and mdb-export and
                                    compares every value with expected.json (exit 77 = skipped)

expected.json lists every table's rows as written (dates as "yyyy-mm-dd" or with a time, a
stored double that is no date as {"days": x}) and what the conversion must do with them.
"""

import csv
import datetime
import io
import json
import os
import random
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import jetwriter as jw  # noqa: E402

PASSWORD = "kq7315"
SKIPPED = 77


def text(name, width):
    return jw.Column(name, jw.TEXT, width)


def memo(name):
    return jw.Column(name, jw.MEMO)


def date(name):
    return jw.Column(name, jw.DATETIME)


def archive_columns():
    columns = [text("序号", 50)]
    for i in range(0, 23):
        if i == 5:
            columns.append(date("5"))
        else:
            columns.append(text(str(i), 10 if i == 3 else 50))
    columns += [memo("T1"), memo("T2"), memo("T3")]
    columns += [text(str(i), 50) for i in range(23, 41)]
    columns += [memo("T4"), memo("T5"), text("类别", 5), text("发药", 20), memo("计价"), memo("病历"), text("剂数", 5)]
    return columns


SCHEMA_MAIN = [
    ("设置", [text("密码", 20)] + [text(n, 50) for n in ["单位名称", "医师", "科别", "发药人", "备用1", "备用2", "备用3"]]
     + [text("左边距", 10), text("上边距", 10), text("自动打印", 5), text("默认打印机", 50), text("处方打印机", 50)]
     + [text(n, 10) for n in ["左边距1", "上边距1", "左边距2", "上边距2"]]
     + [text("打印机2", 50), text("打印机3", 50), text("费别", 10), text("处方字体", 20), text("处方字号", 5),
        text("日志上边距", 5), text("日志左边距", 5)]),
    ("档案", archive_columns()),
    ("患者信息", [text("序号", 50), text("姓名", 20), text("性别", 5), text("年龄", 12), text("医疗证号", 50),
              text("电话", 20), text("住址", 50), text("备用1", 50), text("备用2", 50), text("费别", 10),
              text("诊断", 50), text("过敏史", 20)]),
    ("商品", [text("ID号", 50), text("查询", 200), text("用法", 50), text("名称", 100), text("拼音", 50), text("单位", 10),
            text("常用量", 50), text("单价", 50), text("备用1", 50), text("备用2", 50), text("备用3", 50),
            text("分类", 50), text("斗位", 10)]),
    ("个人模板", [text("序号", 50), text("名称", 50), memo("内容"), text("拼音", 50), text("查询", 50), text("分类", 10),
              text("排序", 10)]),
    ("诊断", [text("名称", 50), text("拼音", 50), text("序号", 50)]),
    ("地址", [text("名称", 50), text("拼音", 50), text("序号", 50)]),
    ("用户", [text("工号", 10), text("姓名", 20), text("密码", 20), text("科别", 10), text("备用", 50)]),
]

SCHEMA_STATS = [
    ("统计", [text("ID号", 50), text("名称", 50), text("数量", 5), text("单位", 5), text("单价", 10), text("金额", 10),
            text("斗位", 5), text("分类", 10), text("备用1", 200), text("备用2", 200), date("日期"), text("医师", 20)]),
]


def column_names(schema, table):
    return [c.name for c in dict(schema)[table]]


def long_record():
    # A medical record of nine sections, CR LF between lines, longer than one page of the file.
    lines = []
    for i in range(60):
        lines.append("第%d行：患者咳嗽三天，伴发热38.5℃，咽部充血，双肺呼吸音粗。" % (i + 1))
    return "$\r\n".join(lines) + "$"


def archive_row(key, name, day, **values):
    row = {c: None for c in column_names(SCHEMA_MAIN, "档案")}
    row.update({"序号": key, "0": name, "1": "男", "2": "45", "3": "内儿科", "5": day, "6": "上呼吸道感染",
                "7": "李医师", "9": "12.50", "12": key[-14:], "14": "自费", "16": "12.50",
                "T1": "阿莫西林胶囊 0.25g×24粒\r\n  用法：2粒 每日3次 口服\r\n", "类别": "西", "发药": "-已结算",
                "剂数": ""})
    row.update(values)
    return row


def small_main():
    settings = {c: "" for c in column_names(SCHEMA_MAIN, "设置")}
    settings.update({"密码": "905", "单位名称": "青山村卫生室", "医师": "王堃", "科别": "内儿科", "发药人": "刘芳",
                     "左边距": "10", "上边距": "20", "费别": "自费", "处方字体": "宋体", "处方字号": "12",
                     "日志上边距": "20", "日志左边距": "10", "自动打印": "0", "备用1": None, "打印机3": None})
    priced = "\r\n".join("%d|阿莫西林胶囊|0.25g×24粒|1|盒|12.500|12.500" % i for i in range(1, 37))
    archive = [
        archive_row("PC1A20080301093000", "王堃", datetime.date(2008, 3, 1), **{
            "病历": long_record(), "计价": priced, "11": "", "13": None, "T2": "",
            "T3": None, "4": "青山村3组（13800001111）"}),
        archive_row("PC1A20080302101500", "赵瑄", datetime.date(1899, 12, 30), **{
            "类别": "中", "剂数": "6", "发药": "", "T1": "桂枝 9g      白芍{炒}10g  甘草 6g      \r\n\r\n",
            "病历": "主诉：头痛$现病史：$$$$$$$$", "1": "女", "2": ""}),
        # The same key as the first prescription: the later row must not vanish.
        archive_row("PC1A20080301093000", "王堃", datetime.date(2008, 3, 1), **{"6": "复诊"}),
        # 科别 holds at most 10 characters.
        archive_row("PC1A20080303080000", "孙立", datetime.date(2008, 3, 3), **{"3": "中西医结合内科专科门诊部"}),
        # A stored double no calendar knows.
        archive_row("PC1A20080304080000", "钱多", {"days": 1.0e7}),
        archive_row("PC1A20080305080000", "周全", datetime.datetime(2008, 3, 5, 14, 20, 5)),
    ]
    patients = []
    for key, name, sex, year in [("王堃wk1963", "王堃", "男", "1963"), ("赵瑄zx1990", "赵瑄", "女", "1990")]:
        patients.append({"序号": key, "姓名": name, "性别": sex, "年龄": year, "医疗证号": "青霉素", "电话": "13800001111",
                         "住址": "青山村3组", "备用1": "", "备用2": "", "费别": "自费", "诊断": "上呼吸道感染",
                         "过敏史": "青霉素"})
    patients[1]["电话"] = None
    catalogue = [
        {"ID号": "20080101080000", "查询": "阿胶{烊化}aj25", "用法": "", "名称": "阿胶{烊化}", "拼音": "aj", "单位": "g",
         "常用量": "10", "单价": "1.200", "备用1": "", "备用2": None, "备用3": None, "分类": "中药", "斗位": "A2"},
        {"ID号": "200801010800001001", "查询": "0.9%氯化钠注射液09lhnzsy324757", "用法": "用法：静脉滴注 每日1次",
         "名称": "0.9%氯化钠注射液", "拼音": "09lhnzsy", "单位": "瓶", "常用量": "250ml×1瓶", "单价": "3.500",
         "备用1": "", "备用2": None, "备用3": None, "分类": "西成药·输液", "斗位": ""},
    ]
    templates = [{"序号": "20080101080001", "名称": "桂枝汤", "内容": "桂枝 9g      白芍{炒}10g  甘草 6g      \r\n\r\n生姜 9g      大枣 9g      ",
                  "拼音": "gzt", "查询": "gzt桂枝汤498", "分类": "中药方剂", "排序": "001"}]
    diagnoses = [{"名称": "上呼吸道感染", "拼音": "shxdgr", "序号": "上呼吸道感染shxdgr"},
                 {"名称": "头痛", "拼音": "tt", "序号": "头痛tt"}]
    addresses = [{"名称": "青山村3组", "拼音": "qsc3z", "序号": "青山村3组qsc3z"}]
    return {"设置": [settings], "档案": archive, "患者信息": patients, "商品": catalogue, "个人模板": templates,
            "诊断": diagnoses, "地址": addresses, "用户": []}


def small_stats():
    rows = []
    # The third row's unit is wider than the new 统计 keeps (its quantity fits there now).
    for key, name, qty, unit, day in [("PC1A20080301093000", "阿莫西林胶囊", "1", "盒", datetime.date(2008, 3, 1)),
                                      ("PC1A20080301093000", "挂号费", "1", "盒", datetime.date(2008, 3, 1)),
                                      ("PC1A20080302101500", "桂枝", "54.000", "克每剂煎服用", datetime.date(1899, 12, 30))]:
        rows.append({"ID号": key, "名称": name, "数量": qty, "单位": unit, "单价": "12.500", "金额": "12.500",
                     "斗位": "", "分类": "西成药·抗生素", "备用1": None, "备用2": None, "日期": day, "医师": None})
    return {"统计": rows}


# What the conversion must do with the small pair: rows refused by the new files' rules, by table,
# in the order they are met, and the rows every table then holds.
SMALL_OUTCOME = {
    "kept_aside": [["档案", "duplicate", 3], ["档案", "width", 4], ["档案", "date", 5], ["统计", "width", 3]],
    "converted": {"设置": 1, "档案": 3, "患者信息": 2, "商品": 2, "个人模板": 1, "诊断": 2, "地址": 1, "用户": 0, "统计": 2},
}


def write_file(path, schema, data):
    writer = jw.JetWriter(password=PASSWORD)
    for name, columns in schema:
        table = writer.add_table(name, columns)
        for row in data.get(name, []):
            table.rows.append([stored(row[c.name]) for c in columns])
    writer.write(path)


def stored(value):
    if isinstance(value, dict):
        return float(value["days"])
    return value


def as_json(value):
    if isinstance(value, datetime.datetime):
        return value.strftime("%Y-%m-%dT%H:%M:%S")
    if isinstance(value, datetime.date):
        return value.strftime("%Y-%m-%d")
    return value


def write_expected(path, files, outcome):
    expected = {"files": {}, "outcome": outcome}
    for file_name, (schema, data) in files.items():
        tables = {}
        for name, columns in schema:
            tables[name] = {"columns": [c.name for c in columns],
                            "rows": [[as_json(row[c.name]) for c in columns] for row in data.get(name, [])]}
        expected["files"][file_name] = tables
    with open(path, "w", encoding="utf-8") as out:
        json.dump(expected, out, ensure_ascii=False, indent=1)


def write_small(folder):
    os.makedirs(folder, exist_ok=True)
    files = {"数据库.dat": (SCHEMA_MAIN, small_main()), "用药统计.dat": (SCHEMA_STATS, small_stats())}
    for file_name, (schema, data) in files.items():
        write_file(os.path.join(folder, file_name), schema, data)
    write_expected(os.path.join(folder, "expected.json"), files, SMALL_OUTCOME)


def large_data(prescriptions, seed=7):
    rng = random.Random(seed)
    drugs = ["阿莫西林胶囊", "头孢克肟片", "0.9%氯化钠注射液", "维生素C片", "布洛芬缓释胶囊", "板蓝根颗粒", "桂枝", "白芍"]
    names = ["王", "李", "张", "刘", "陈", "杨", "赵", "黄"]
    archive, stats, patients = [], [], []
    start = datetime.date(2005, 1, 1)
    for i in range(prescriptions):
        day = start + datetime.timedelta(days=i * 3650 // max(prescriptions, 1))
        key = "PC1A%s%06d" % (day.strftime("%Y%m%d"), i % 1000000)
        name = rng.choice(names) + rng.choice(["伟", "芳", "娜", "敏", "静", "堃"])
        record = "主诉：咳嗽%d天$现病史：$$$$$$$$" % (i % 9 + 1) if i % 3 else None
        archive.append(archive_row(key, name, day, **{"病历": record,
                                                      "计价": "1|%s|盒|1|12.500|12.500" % drugs[i % len(drugs)]}))
        if i % 5 == 0:
            patients.append({"序号": "%s%d" % (name, i), "姓名": name, "性别": "男", "年龄": "1970", "医疗证号": "",
                             "电话": "", "住址": "", "备用1": "", "备用2": "", "费别": "自费", "诊断": "", "过敏史": ""})
        for j in range(4):
            stats.append({"ID号": key, "名称": drugs[(i + j) % len(drugs)], "数量": "1", "单位": "盒", "单价": "12.500",
                          "金额": "12.500", "斗位": "", "分类": "西成药·抗生素", "备用1": None, "备用2": None, "日期": day,
                          "医师": None})
    main = small_main()
    main.update({"档案": archive, "患者信息": patients})
    return main, {"统计": stats}


def write_large(folder, prescriptions):
    os.makedirs(folder, exist_ok=True)
    main, stats = large_data(prescriptions)
    write_file(os.path.join(folder, "数据库.dat"), SCHEMA_MAIN, main)
    write_file(os.path.join(folder, "用药统计.dat"), SCHEMA_STATS, stats)


# -- the check against mdbtools --------------------------------------------------------------

def exported(value, column_kind):
    """What mdb-export prints for a value written as `value` (NULL and "" both print as nothing)."""
    if value is None:
        return ""
    if column_kind == jw.DATETIME:
        if isinstance(value, dict):
            return "1900-01-00 00:00:00"  # libmdb leaves a double outside its calendar unconverted
        if len(value) == 10:
            return value + " 00:00:00"
        return value.replace("T", " ")
    return value


def check(folder):
    if not shutil.which("mdb-export") or not shutil.which("mdb-tables"):
        print("SKIP: mdbtools (mdb-tables, mdb-export) is not installed; the fixtures were not checked")
        return SKIPPED
    with open(os.path.join(folder, "expected.json"), encoding="utf-8") as f:
        expected = json.load(f)
    kinds = {}
    for schema in (SCHEMA_MAIN, SCHEMA_STATS):
        for name, columns in schema:
            kinds[name] = {c.name: c.kind for c in columns}
    failures = []
    for file_name, tables in expected["files"].items():
        path = os.path.join(folder, file_name)
        listed = subprocess.run(["mdb-tables", "-1", path], capture_output=True, text=True, check=True).stdout.split("\n")
        listed = [t for t in listed if t]
        if sorted(listed) != sorted(tables):
            failures.append("%s: mdb-tables lists %s, expected %s" % (file_name, listed, sorted(tables)))
        for table, content in tables.items():
            out = subprocess.run(["mdb-export", "-D", "%Y-%m-%d %H:%M:%S", "-T", "%Y-%m-%d %H:%M:%S", path, table],
                                 capture_output=True, check=True).stdout.decode("utf-8")
            rows = list(csv.reader(io.StringIO(out, newline="")))
            if rows[0] != content["columns"]:
                failures.append("%s/%s: columns %s" % (file_name, table, rows[0]))
            want = [[exported(v, kinds[table][c]) for c, v in zip(content["columns"], row)] for row in content["rows"]]
            if rows[1:] != want:
                for n, (got, exp) in enumerate(zip(rows[1:], want)):
                    for c, g, e in zip(content["columns"], got, exp):
                        if g != e:
                            failures.append("%s/%s row %d column %s: %r, expected %r" % (file_name, table, n + 1, c, g[:80], e[:80]))
                if len(rows) - 1 != len(want):
                    failures.append("%s/%s: %d rows, expected %d" % (file_name, table, len(rows) - 1, len(want)))
    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print("mdbtools reads every fixture value back exactly")
    return 1 if failures else 0


def main(argv):
    if len(argv) >= 3 and argv[1] == "write":
        write_small(argv[2])
        return 0
    if len(argv) >= 4 and argv[1] == "large":
        write_large(argv[2], int(argv[3]))
        return 0
    if len(argv) >= 3 and argv[1] == "check":
        return check(argv[2])
    if len(argv) >= 3 and argv[1] == "write-and-check":
        write_small(argv[2])
        return check(argv[2])
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
