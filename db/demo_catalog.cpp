#include "db/demo_catalog.h"

namespace db::demo {

// Branches 0001-0003 have a default series; 0004 only a series that is not
// the default; 0005 none. 0003 and 0005 do not control stock.
const std::vector<Branch>& Branches() {
    static const std::vector<Branch> list{
        {"0001", "Matriz - São Paulo", "01", "S", 35},
        {"0002", "Filial Campinas", "01", "S", 25},
        {"0003", "Filial Rio de Janeiro", "01", "N", 15},
        {"0004", "Filial Belo Horizonte", "02", "S", 15},
        {"0005", "Centro de Distribuição Curitiba", "02", "N", 10},
    };
    return list;
}

const std::vector<OutSeries>& OutSeriesList() {
    static const std::vector<OutSeries> list{
        {"0001", "1", "01", "S", 1000}, {"0001", "2", "01", "N", 0}, {"0002", "1", "01", "S", 0},
        {"0003", "U", "01", "S", 500},  {"0004", "2", "02", "N", 0},
    };
    return list;
}

const std::vector<Code>& EntrySeries() {
    static const std::vector<Code> list{
        {"1", "Série 1"}, {"2", "Série 2"}, {"A", "Série A"}, {"U", "Série única"}, {"D1", "Série D1"},
    };
    return list;
}

// Only 01, 02 and 05 are exits from a branch; the others are entries or
// exits to a customer or supplier.
const std::vector<OperationType>& OperationTypes() {
    static const std::vector<OperationType> list{
        {"01", "Remessa para análise", "S", "L"},        {"02", "Remessa para conserto", "S", "L"},
        {"05", "Transferência entre filiais", "S", "L"}, {"10", "Compra para comercialização", "E", "F"},
        {"12", "Entrada por transferência", "E", "L"},   {"20", "Venda de mercadoria", "S", "C"},
        {"30", "Devolução a fornecedor", "S", "F"},
    };
    return list;
}

const std::vector<std::string>& CompanyNames() {
    static const std::vector<std::string> list{
        "Distribuidora Paulista de Alimentos Ltda",
        "Metalúrgica Santa Rita S.A.",
        "Comercial Oliveira & Filhos Ltda",
        "Indústria Têxtil Vale do Itajaí S.A.",
        "Atacadão Nordeste Comércio de Bebidas Ltda",
        "Laticínios Serra da Mantiqueira Ltda",
        "Papelaria e Gráfica Bandeirantes Ltda",
        "Ferragens Guarani Comércio e Indústria Ltda",
        "Eletro Minas Componentes Elétricos Ltda",
        "Agropecuária Campos Gerais S.A.",
        "Química Fluminense Produtos de Limpeza Ltda",
        "Transportadora e Comércio Rio Grande Ltda",
        "Cerâmica São Caetano Ltda",
        "Embalagens Paraná Indústria e Comércio Ltda",
    };
    return list;
}

const std::vector<std::string>& PersonNames() {
    static const std::vector<std::string> list{
        "José Carlos da Silva",    "Maria Aparecida dos Santos", "João Batista Pereira",
        "Ana Paula Rodrigues",     "Antônio Ferreira Lima",      "Francisca Gomes de Souza",
        "Luiz Henrique Carvalho",  "Fernanda Costa Ribeiro",     "Paulo Roberto Almeida",
        "Juliana Martins Barbosa",
    };
    return list;
}

const std::vector<Product>& Products() {
    static const std::vector<Product> list{
        {"Arroz branco tipo 1 5kg", "PCT", false, false},
        {"Feijão carioca 1kg", "PCT", false, false},
        {"Café torrado e moído 500g", "PCT", true, false},
        {"Açúcar cristal", "KG", false, true},
        {"Óleo de soja 900ml", "UN", true, false},
        {"Leite UHT integral 1L", "CX", true, false},
        {"Queijo muçarela", "KG", true, true},
        {"Farinha de trigo 1kg", "PCT", true, false},
        {"Parafuso sextavado 1/4 pol", "CENTO", false, false},
        {"Cabo flexível 2,5mm", "M", false, true},
        {"Disjuntor bipolar 32A", "UN", false, false},
        {"Tinta acrílica branca 18L", "LT", true, false},
        {"Papel sulfite A4 75g", "RESMA", false, false},
        {"Detergente neutro 500ml", "UN", true, false},
        {"Desinfetante lavanda 2L", "UN", true, false},
        {"Luva nitrílica tamanho M", "CX", true, false},
        {"Tecido de algodão cru", "M", false, true},
        {"Fio de poliéster 120", "UN", false, false},
        {"Azulejo branco 30x40", "CX", false, false},
        {"Argamassa colante AC-I 20kg", "SC", true, false},
        {"Ração para aves 25kg", "SC", true, false},
        {"Adubo NPK 10-10-10", "KG", true, true},
        {"Caixa de papelão 40x30x20", "UN", false, false},
        {"Filme stretch 500mm", "RL", false, false},
        {"Lâmpada LED 9W", "UN", false, false},
        {"Cerveja pilsen lata 350ml", "CX", true, false},
        {"Refrigerante cola 2L", "UN", true, false},
        {"Água mineral 500ml", "FD", true, false},
        {"Sabão em pó 1kg", "UN", true, false},
        {"Chapa de aço 2mm", "KG", false, true},
    };
    return list;
}

}  // namespace db::demo
