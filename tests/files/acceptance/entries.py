"""The entries two teams make on their registration forms (sheet -> cell -> text).
With 20 athletes a team the boys are in rows 4 to 13 and the girls in rows 14
to 23; the events run from D (100米) to N (4×100米接力)."""

ENTRIES = {
    "2": {
        "C4": "张三", "D4": "√", "H4": "√", "N4": "√",
        "C5": "李四", "E5": "√", "J5": "√",
        "C14": "王芳", "D14": "√", "I14": "√",
    },
    "4": {
        "C4": "赵六", "F4": "√",
        "C23": "孙丽", "L23": "√", "M23": "√",
    },
}
